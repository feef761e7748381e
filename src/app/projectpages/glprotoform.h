#pragma once
// TGLProtoForm, the global logic monitor window: the log on the left, the 200 lamps and their
// legend on the right, "Reset memory" and "Close" below. Created at start, opened from
// View > "Global Logic Monitor"; the main window hands it what its client receives.

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

#include "app/projectpages/glmonitor.h"

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace kvr::app {

class TGLLamp;

class TGLProtoForm : public QDialog {
    Q_OBJECT
public:
    explicit TGLProtoForm(QWidget* Parent = nullptr);

    GlobalLogicMonitor Monitor;

    // GlobalLogicStates1Click: the open project and the main window's client (null: nothing is
    // sent), then the window is shown. The project is asked for at every use, so a project
    // closed meanwhile is never touched.
    void Open(std::function<model::TProject*()> Project, std::function<void(Kvrdata_ns::TUDPMsg&)> Send);
    void DCCBroadcastReceived(const Kvrdata_ns::TUDPMsg& Msg);
    void DCCCANBlockReceived(const Kvrdata_ns::KVRCANBlock& Block, std::uint32_t HostIP);

    // The lamp of a global logic; null while the window is closed.
    TGLLamp* Lamp(int Index) const;

    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* ShapePanel = nullptr;
    QPushButton* Reset = nullptr;
    QPushButton* CloseBtn = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    void FormShow();
    void FormClose();
    // Lamps and log as the monitor holds them.
    void Refresh();

    // The monitor's project as it is now.
    GlobalLogicMonitor& Current();

    std::function<model::TProject*()> FProject;
    std::array<TGLLamp*, GLLampCount> FLamps{};
    std::uint64_t FShownLog = ~std::uint64_t{0};
};

} // namespace kvr::app
