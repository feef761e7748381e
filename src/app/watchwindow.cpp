#include "app/watchwindow.h"

#include "app/appforms.h"
#include "app/connectdialog.h"
#include "app/connectionlist.h"
#include "client/kvrcommunicationclient.h"
#include "editors/sources/reswindow.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "platform/currentprompter.h"
#include "service/watch/watchform.h"

namespace kvr::app {

namespace {

// The logic-source window's target of kind 20: always the newest watch window, nothing once it
// is closed.
class NewestWatchTarget : public editors::SourceTarget {
public:
    std::int64_t WatchedDeviceID() override { return WatchForm ? WatchForm->WatchedDeviceID() : -1; }
    void Take(int, const editors::PickedSource& Source, const editors::TargetSelection&) override
    {
        if (WatchForm)
            WatchForm->AddWatch(Source.Ref, Source.Overlay);
    }
};

NewestWatchTarget& Target()
{
    static NewestWatchTarget target;
    return target;
}

} // namespace

service::TWatchForm* OpenWatchWindow(QWidget* Owner, std::function<model::TProject*()> Project,
                                     std::function<std::string()> ProjectFileName)
{
    auto client = std::make_unique<TKVRCommunicationClient>(nullptr, client::SystemServices());
    TKVRCommunicationClient* kvrcc = client.get();
    service::TWatchFormServices s;
    s.Watch.Project = std::move(Project);
    s.Watch.ProjectFileName = std::move(ProjectFileName);
    s.Watch.ShowMessage = [](const std::string& Text) { platform::prompter().showMessage(QString::fromStdString(Text)); };
    s.ConnectionDialog = [kvrcc, Owner](TDeviceAddr& Addr) {
        return ConnectionDialog(*kvrcc, Addr, false, QtConnectionDialog(*kvrcc, Owner));
    };
    s.Activated = [](service::TWatchForm& Form) {
        if (!ResWindow)
            return;
        ResWindow->SetOwnerForm(&Form);
        ResWindow->SetTarget(editors::ltWatch, &Target());
        ResWindow->SetGroupFilter(86);
        ResWindow->BuildSourceTree();
        ResWindow->SetTargetKind(editors::ltWatch);
    };
    s.AddClicked = [](service::TWatchForm&) {
        if (!ResWindow)
            return;
        ResWindow->SetTarget(editors::ltWatch, &Target());
        ResWindow->SetTargetKind(editors::ltWatch);
        ResWindow->SetGroupFilter(214);
        ResWindow->BuildSourceTree();
        ResWindow->ShowPicker();
    };
    s.TakesDrag = [](const QMimeData* Data) { return editors::IsSourceDrag(Data, editors::SourceDragKind::Logic); };
    s.ShowsWatchedDevice = [] {
        return ResWindow && WatchForm && ResWindow->GetDeviceID() == WatchForm->WatchedDeviceID();
    };
    s.Dropped = [](service::TWatchForm&) {
        if (!ResWindow)
            return;
        ResWindow->SetTarget(editors::ltWatch, &Target());
        ResWindow->SetTargetKind(editors::ltWatch);
        ResWindow->Assign(editors::AssignSender::Page);
    };
    WatchForm = new service::TWatchForm(std::move(client), std::move(s), Owner);
    return WatchForm;
}

} // namespace kvr::app
