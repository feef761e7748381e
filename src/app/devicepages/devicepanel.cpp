#include "app/devicepages/devicepanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/frameio/framecards.h"
#include "controls/dragtarget.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::app {

namespace {

// Digits that may stay blank, shown as "_"; a mask edit keeps every character in its place.
constexpr const char* AddressMask = "000.000.000.000;_";
constexpr const char* PINMask = "0000;_";

template <typename T> T* Named(T* Widget, const char* Name)
{
    Widget->setObjectName(Name);
    return Widget;
}

// Texts of the device image are Windows-1252.
QString Q(const std::string& Text) { return platform::fromCp1252(Text); }
std::string Stored(const QString& Text) { return platform::toCp1252(Text); }

} // namespace

void BuildDummyDevPanel(QWidget* Panel)
{
    if (!Panel || Panel->findChild<QLabel*>("DummyDevNotice"))
        return;
    auto* label = Named(new QLabel(DummyDeviceNotice, Panel), "DummyDevNotice");
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(Panel);
    layout->addWidget(label);
}

DevicePanel::DevicePanel(DevicePanelHost Host, QWidget* Parent)
    : QWidget(Parent), FHost(std::move(Host)),
      FSources([this] { return FHost.LogicSources ? FHost.LogicSources() : nullptr; },
               [this](PageSource Source) { ShowSource(Source); })
{
    PageControl3 = Named(new QTabWidget(this), "PageControl3");
    PageControl3->addTab(BuildOptions(), "Options");
    PageControl3->addTab(BuildNetwork(), "Network Configuration");
    PageControl3->addTab(FAuthorisationTab = BuildAuthorisation(), "Authorisation");
    PageControl3->addTab(BuildOperationMode(), "Operation mode");
    PageControl3->setCurrentIndex(3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl3);
    connect(PageControl3, &QTabWidget::currentChanged, this, [this](int Index) {
        if (PageControl3->widget(Index) == FAuthorisationTab)
            BuildUserGroupRows();
        else
            DestroyUserGroupRows();
        if (Index == 3)
            if (auto page = Page())
                ChipCardIDText->setText(Q(page->ChipCardID()));
    });
}

DevicePanel::~DevicePanel() = default;

template <typename Controller> std::unique_ptr<Controller> DevicePanel::For()
{
    model::TProject* project = FHost.Project ? FHost.Project() : nullptr;
    const int device = FHost.CurDevice ? FHost.CurDevice() : -1;
    if (!project || device < 0 || device >= project->DeviceCount())
        return nullptr;
    return std::make_unique<Controller>(*project, device);
}

std::unique_ptr<DevicePage> DevicePanel::Page() { return For<DevicePage>(); }

std::unique_ptr<UserGroups> DevicePanel::Groups() { return For<UserGroups>(); }

QWidget* DevicePanel::BuildOptions()
{
    auto* tab = Named(new QWidget, "TabSheet10");
    auto* common = new QGroupBox("Common", tab);
    auto* form = new QGridLayout(common);
    Edit3 = Named(new QLineEdit(common), "Edit3");
    Edit3->setMaxLength(35);
    platform::RefuseBeyondCp1252(Edit3);
    FrameTypeBox = Named(new QComboBox(common), "FrameTypeBox");
    for (const model::TFrameTypeInfo& type : model::FrameTypeTable)
        FrameTypeBox->addItem(QString::fromLatin1(type.Model));
    auto spin = [common](const char* Name, int Min, int Max) {
        auto* box = Named(new QSpinBox(common), Name);
        box->setRange(Min, Max);
        return box;
    };
    UpDown1 = spin("UpDown1", 1, 4);
    UpDown7 = spin("UpDown7", 0, 4);
    UpDown8 = spin("UpDown8", 0, 4);
    ComboBox1 = Named(new QComboBox(common), "ComboBox1");
    ComboBox1->addItems({"None", "KX730-081"});
    Label9 = Named(new QLabel("24V KX730-084", common), "Label9");
    Edit5 = Named(new QLineEdit(common), "Edit5");
    Edit5->setReadOnly(true);
    DevIDEdit = Named(new QLineEdit(common), "DevIDEdit");
    DevIDEdit->setReadOnly(true);
    MkDummyDevBtn = Named(new QPushButton("MkDummyDev", common), "MkDummyDevBtn");
    MkDummyDevBtn->hide();
    int row = 0;
    form->addWidget(new QLabel("Device Name"), row, 0);
    form->addWidget(Edit3, row++, 1, 1, 3);
    form->addWidget(new QLabel("DSP frame type"), row, 0);
    form->addWidget(FrameTypeBox, row++, 1);
    form->addWidget(new QLabel("Power supply"), row, 0);
    form->addWidget(new QLabel("5V KX730-083"), row, 1);
    form->addWidget(UpDown1, row++, 2);
    form->addWidget(new QLabel("24V KX730-084"), row, 1);
    form->addWidget(UpDown7, row++, 2);
    form->addWidget(ComboBox1, row, 0);
    form->addWidget(Label9, row, 1);
    form->addWidget(UpDown8, row++, 2);
    form->addWidget(new QLabel("Last changed:"), row, 0);
    form->addWidget(Edit5, row++, 1, 1, 3);
    form->addWidget(new QLabel("Device ID"), row, 0);
    form->addWidget(DevIDEdit, row, 1);
    form->addWidget(MkDummyDevBtn, row++, 2);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(common);
    layout->addStretch();

    connect(Edit3, &QLineEdit::textEdited, this, [this](const QString& Text) {
        if (!Page())
            return;
        const std::string name = Stored(Text);
        FHost.Project()->Device(FHost.CurDevice())->SetName(name);
        if (FHost.NameChanged)
            FHost.NameChanged(name);
    });
    connect(FrameTypeBox, &QComboBox::activated, this, [this](int Item) {
        model::TProject* project = FHost.Project ? FHost.Project() : nullptr;
        if (!Page())
            return;
        const frameio::FrameCardContext context{*project, FHost.CurDevice(), FHost.ServiceLevel ? FHost.ServiceLevel() : 0,
                                                FHost.FitOptions ? FHost.FitOptions() : 0, platform::prompter()};
        // The tree loses the slot nodes of dropped racks.
        if (frameio::FrameTypeChange(context, Item) && FHost.TreeChanged)
            FHost.TreeChanged();
        FillDevicePage();
    });
    // The spin boxes raise valueChanged for the fill too; the controller ignores it while filling.
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int V) { PowerSupplyChanged([V](DevicePage& P) { P.Set5VSupplies(V); }); });
    connect(UpDown7, &QSpinBox::valueChanged, this, [this](int V) { PowerSupplyChanged([V](DevicePage& P) { P.Set24VSupplies(V); }); });
    connect(UpDown8, &QSpinBox::valueChanged, this,
            [this](int V) { PowerSupplyChanged([V](DevicePage& P) { P.SetExternal24VSupplies(V); }); });
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int Item) { PowerSupplyChanged([Item](DevicePage& P) { P.SetExternalSupply(Item); }); });
    connect(MkDummyDevBtn, &QPushButton::clicked, this, [this] {
        if (auto page = Page()) {
            page->MakeDummy();
            if (FHost.TreeChanged)
                FHost.TreeChanged();
        }
    });
    return tab;
}

void DevicePanel::PowerSupplyChanged(const std::function<void(DevicePage&)>& Change)
{
    if (FFilling)
        return;
    if (auto page = Page()) {
        Change(*page);
        FillDevicePage();
    }
}

QWidget* DevicePanel::BuildNetwork()
{
    auto* tab = Named(new QWidget, "TabSheet11");
    auto* form = new QFormLayout;
    const char* names[] = {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4", "MaskEdit5"};
    const char* labels[] = {"IP Address", "Subnet Mask", "DNS-Server", "Gateway", "Mailserver"};
    DHCPBox = Named(new QCheckBox("Automatic via DHCP", tab), "DHCPBox");
    for (int i = 0; i < 5; ++i) {
        MaskEdits[i] = Named(new QLineEdit(tab), names[i]);
        MaskEdits[i]->setInputMask(AddressMask);
    }
    for (int i = 0; i < 4; ++i)
        form->addRow(labels[i], MaskEdits[i]);
    form->addRow(QString(), DHCPBox);
    auto* advanced = Named(new QGroupBox("Advanced", tab), "GroupBox8");
    auto* advancedForm = new QFormLayout(advanced);
    Edit29 = Named(new QLineEdit(advanced), "Edit29");
    Edit29->setMaxLength(128);
    platform::RefuseBeyondCp1252(Edit29);
    advancedForm->addRow(labels[4], MaskEdits[4]);
    advancedForm->addRow("Senders eMail-Address", Edit29);
    advanced->hide(); // never shown
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(form);
    layout->addWidget(advanced);
    layout->addStretch();

    const NetAddress which[] = {NetAddress::IP, NetAddress::Mask, NetAddress::DNS, NetAddress::Gateway};
    for (int i = 0; i < 4; ++i)
        connect(MaskEdits[i], &QLineEdit::textEdited, this, [this, w = which[i], i] {
            if (auto page = Page())
                page->SetAddress(w, Stored(MaskEdits[i]->text()));
        });
    connect(MaskEdits[4], &QLineEdit::editingFinished, this, [this] {
        if (auto page = Page())
            page->SetAddress(NetAddress::MailServer, Stored(MaskEdits[4]->text()));
    });
    connect(Edit29, &QLineEdit::textEdited, this, [this](const QString& Text) {
        if (auto page = Page())
            page->SetSender(Stored(Text));
    });
    connect(DHCPBox, &QCheckBox::clicked, this, [this](bool Checked) {
        for (int i = 0; i < 4; ++i)
            MaskEdits[i]->setEnabled(!Checked);
        if (auto page = Page())
            page->SetDHCP(Checked);
    });
    return tab;
}

QWidget* DevicePanel::BuildAuthorisation()
{
    auto* tab = Named(new QWidget, "TabSheet14");
    auto* sources = Named(new QGroupBox("Select Logic Sources to enable PIN input", tab), "GroupBox42");
    auto* grid = new QGridLayout(sources);
    Panel25 = Named(new QLabel("None", sources), "Panel25");
    Panel34 = Named(new QLabel("None", sources), "Panel34");
    for (QLabel* panel : {Panel25, Panel34})
        panel->setFrameShape(QFrame::Panel), panel->setFrameShadow(QFrame::Sunken), panel->setMinimumWidth(200);
    PINLogic1 = Named(new QPushButton("Select ...", sources), "PINLogic1");
    PINLogic2 = Named(new QPushButton("Select ...", sources), "PINLogic2");
    grid->addWidget(new QLabel("Source 1"), 0, 0);
    grid->addWidget(Panel25, 0, 1);
    grid->addWidget(PINLogic1, 0, 2);
    grid->addWidget(new QLabel("Source 2"), 1, 0);
    grid->addWidget(Panel34, 1, 1);
    grid->addWidget(PINLogic2, 1, 2);
    grid->setColumnStretch(3, 1);
    AcceptSourceDrops(Panel25, PageSource::PINInput1);
    AcceptSourceDrops(Panel34, PageSource::PINInput2);
    AuthOptChipCard = Named(new QCheckBox("Allow Chipcard", tab), "AuthOptChipCard");
    AuthOptChipCard->setLayoutDirection(Qt::RightToLeft);
    AuthOptChipCard->hide(); // never shown
    Panel38 = Named(new QWidget(tab), "Panel38");
    Panel38->setFixedSize(650, 260);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(sources);
    layout->addWidget(AuthOptChipCard);
    layout->addWidget(Panel38);
    layout->addStretch();
    connect(AuthOptChipCard, &QCheckBox::clicked, this, [this](bool Checked) {
        if (auto groups = Groups())
            groups->SetChipCard(Checked);
    });
    connect(PINLogic1, &QPushButton::clicked, this, [this] {
        if (Groups())
            FSources.Select(PageSource::PINInput1, FPINLogicTags[0]);
    });
    connect(PINLogic2, &QPushButton::clicked, this, [this] {
        if (Groups())
            FSources.Select(PageSource::PINInput2, FPINLogicTags[1]);
    });
    return tab;
}

QWidget* DevicePanel::BuildOperationMode()
{
    auto* tab = Named(new QWidget, "TabSheet15");
    auto box = [this](QWidget* Parent, const char* Name, const char* Text, HeaderBit Bit) {
        auto* check = Named(new QCheckBox(Text, Parent), Name);
        connect(check, &QCheckBox::clicked, this, [this, Bit](bool Checked) {
            if (auto page = Page())
                page->SetHeaderBit(Bit, Checked);
        });
        HeaderBoxes[static_cast<std::size_t>(Bit)] = check;
        return check;
    };
    auto* talk = new QGroupBox("Talk", tab);
    (new QVBoxLayout(talk))->addWidget(box(talk, "TBMatrixBox", "Enable talkback matrix", HeaderBit::TalkbackMatrix));
    auto* setup = new QGroupBox("Setup Options", tab);
    auto* setupLayout = new QGridLayout(setup);
    setupLayout->addWidget(box(setup, "CrossFadeBox", "Cross fade on load Setup", HeaderBit::CrossFade), 0, 0, 1, 2);
    setupLayout->addWidget(
        box(setup, "SaveSetupRoutingSelBox", "Include Routing Selectors", HeaderBit::SetupRoutingSelectors), 1, 0, 1, 2);
    setupLayout->addWidget(box(setup, "SaveSetupFaderBox", "Include fader values", HeaderBit::SetupFader), 2, 0, 1, 2);
    ChipCardIDText = Named(new QLineEdit(setup), "ChipCardIDText");
    ChipCardIDText->setMaxLength(10);
    platform::RefuseBeyondCp1252(ChipCardIDText);
    setupLayout->addWidget(new QLabel("Chipcard ID"), 3, 0);
    setupLayout->addWidget(ChipCardIDText, 3, 1);
    auto* other = new QGroupBox("Other", tab);
    auto* otherLayout = new QGridLayout(other);
    PrepModeText = Named(new QLabel("None", other), "PrepModeText");
    PrepModeText->setFrameShape(QFrame::Panel);
    PrepModeText->setFrameShadow(QFrame::Sunken);
    Button66 = Named(new QPushButton("Select ...", other), "Button66");
    AcceptSourceDrops(PrepModeText, PageSource::PreparationMode);
    otherLayout->addWidget(new QLabel("Preparation mode with fader"), 0, 0);
    otherLayout->addWidget(PrepModeText, 0, 1);
    otherLayout->addWidget(Button66, 0, 2);
    otherLayout->addWidget(box(other, "SingleChannelModeBox", "LL/RR single channel mode", HeaderBit::SingleChannelMode), 1, 0,
                           1, 2);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(talk);
    layout->addWidget(setup);
    layout->addWidget(other);
    layout->addStretch();
    connect(ChipCardIDText, &QLineEdit::textEdited, this, [this](const QString& Text) {
        if (auto page = Page())
            page->SetChipCardID(Stored(Text));
    });
    connect(Button66, &QPushButton::clicked, this, [this] {
        if (auto page = Page())
            FSources.Select(PageSource::PreparationMode, page->Fill().PrepModeSource);
    });
    return tab;
}

void DevicePanel::FillDevicePage()
{
    auto page = Page();
    if (!page)
        return;
    FFilling = true;
    const DevicePageValues values = page->Fill();
    Edit3->setText(Q(values.Name));
    FrameTypeBox->setCurrentIndex(values.FrameType);
    DevIDEdit->setText(Q(values.DeviceID));
    UpDown1->setValue(values.Supply5V);
    UpDown7->setMaximum(values.Supply24VMax);
    UpDown7->setValue(values.Supply24V);
    Edit5->setText(Q(values.LastChanged));
    const bool checks[] = {values.TalkbackMatrix, values.CrossFade, values.SetupFader, values.SetupRoutingSelectors,
                           values.SingleChannelMode};
    for (std::size_t i = 0; i < HeaderBoxes.size(); ++i)
        HeaderBoxes[i]->setChecked(checks[i]);
    PrepModeText->setText(Q(values.PrepMode));
    const bool external = values.External != 0;
    ComboBox1->setCurrentIndex(external ? 1 : 0);
    UpDown8->setMinimum(external ? 1 : 0);
    UpDown8->setValue(values.External);
    for (QWidget* w : {static_cast<QWidget*>(UpDown8), static_cast<QWidget*>(Label9)})
        w->setEnabled(external);
    ChipCardIDText->setText(Q(values.ChipCardID));
    DHCPBox->setChecked(values.DHCP);
    for (int i = 0; i < 5; ++i) {
        MaskEdits[i]->setText(Q(values.Addresses[i]));
        if (i < 4)
            MaskEdits[i]->setEnabled(!values.DHCP);
    }
    page->EndFill();
    FFilling = false;
    show();
    BuildUserGroupRows();
}

void DevicePanel::DestroyUserGroupRows()
{
    for (QWidget* control : FRows)
        delete control;
    FRows.clear();
    FGroupRows.clear();
}

void DevicePanel::FillUserGroupRow(const GroupRowControls& Row, const UserGroupRow& Values)
{
    Row.Label->setText(Q(Values.Label));
    // The mask comes after the text, as on a new edit.
    Row.PIN->setInputMask(QString());
    Row.PIN->setText(Q(Values.PIN));
    Row.PIN->setInputMask(PINMask);
    Row.Autolock->setCurrentIndex(Values.Autolock < static_cast<int>(LockTimes.size()) ? Values.Autolock : 0);
    Row.Display->setChecked(Values.Display);
}

void DevicePanel::BuildUserGroupRows()
{
    auto groups = Groups();
    if (!groups) {
        DestroyUserGroupRows();
        return;
    }
    const UserGroupValues values = groups->Values();
    AuthOptChipCard->setChecked(values.ChipCard);
    Panel25->setText(Q(values.Source1Name));
    Panel34->setText(Q(values.Source2Name));
    FPINLogicTags = {values.Source1, values.Source2};
    // Rows of an earlier build take the new values: the same controls, filled as a build fills
    // them, whose handlers write nothing for a value set here.
    if (FGroupRows.size() == static_cast<std::size_t>(UserGroupCount)) {
        for (int i = 0; i < UserGroupCount; ++i)
            FillUserGroupRow(FGroupRows[static_cast<std::size_t>(i)], values.Rows[static_cast<std::size_t>(i)]);
        return;
    }
    DestroyUserGroupRows();
    auto place = [this](QWidget* Control, int Left, int Top, int Width = -1) {
        Control->hide();
        Control->setParent(Panel38);
        Control->move(Left, Top);
        if (Width > 0)
            Control->setFixedWidth(Width);
        FRows.push_back(Control);
    };
    for (int i = 0; i < UserGroupCount; ++i) {
        const int top = 10 + 30 * i;
        GroupRowControls row{new QLineEdit, new QLineEdit, new QComboBox, new QCheckBox("Display")};
        row.Label->setMaxLength(UserGroupLabelMaxLength);
        platform::RefuseBeyondCp1252(row.Label);
        for (int t = 0; t < static_cast<int>(LockTimes.size()); ++t)
            row.Autolock->addItem(Q(LockTimeText(t)));
        FillUserGroupRow(row, values.Rows[static_cast<std::size_t>(i)]);
        place(new QLabel(QString("Group %1").arg(i + 1)), 15, top + 3);
        place(new QLabel("Label:"), 80, top + 3);
        place(row.Label, 115, top, 145);
        place(new QLabel("PIN:"), 270, top + 3);
        place(row.PIN, 295, top, 40);
        place(new QLabel("Autolock after"), 350, top + 3);
        place(row.Autolock, 420, top, 60);
        place(row.Display, 490, top, 60);
        FGroupRows.push_back(row);
        // Handlers only once the values are in, so building writes nothing.
        connect(row.Label, &QLineEdit::textEdited, this, [this, i](const QString& Text) {
            if (auto g = Groups())
                g->SetLabel(i, Stored(Text));
        });
        // The displayed text keeps the blanks in place; text() would drop them.
        connect(row.PIN, &QLineEdit::textEdited, this, [this, i, pin = row.PIN] {
            if (auto g = Groups())
                g->SetPIN(i, Stored(pin->displayText()));
        });
        connect(row.Autolock, &QComboBox::activated, this, [this, i](int Index) {
            if (auto g = Groups())
                g->SetAutolock(i, Index);
        });
        connect(row.Display, &QCheckBox::clicked, this, [this, i](bool Checked) {
            if (auto g = Groups())
                g->SetDisplay(i, Checked);
        });
    }
    for (QWidget* control : FRows)
        control->show();
}

void DevicePanel::AcceptSourceDrops(QWidget* Target, PageSource Source)
{
    Target->setAcceptDrops(true);
    Target->installEventFilter(this);
    FSourceDrops.emplace_back(Target, Source);
}

bool DevicePanel::eventFilter(QObject* Watched, QEvent* Event)
{
    const auto found = std::find_if(FSourceDrops.begin(), FSourceDrops.end(),
                                    [Watched](const auto& Drop) { return Drop.first == Watched; });
    if (found == FSourceDrops.end())
        return QWidget::eventFilter(Watched, Event);
    // Only a drag from the logic-source window's tree, while a device is shown.
    if (controls::answerDragEvent(
            Event, {.Takes =
                        [this](const QMimeData* Data) {
                            return FHost.IsLogicSourceDrag && FHost.IsLogicSourceDrag(Data);
                        },
                    .LandsAt = [this](const QDropEvent&) { return Page() != nullptr; },
                    .Dropped = [this, found](QDropEvent&) { FSources.Drop(found->second); }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

void DevicePanel::ShowSource(PageSource Source)
{
    if (Source == PageSource::PreparationMode) {
        if (auto page = Page())
            PrepModeText->setText(Q(page->Fill().PrepMode));
        return;
    }
    // The buttons keep the sources of the last build.
    if (auto groups = Groups()) {
        const UserGroupValues values = groups->Values();
        (Source == PageSource::PINInput1 ? Panel25 : Panel34)
            ->setText(Q(Source == PageSource::PINInput1 ? values.Source1Name : values.Source2Name));
    }
}

void DevicePanel::ShowDeviceID1Click()
{
    if (auto page = Page())
        page->ShowDeviceID(platform::prompter());
}

void DevicePanel::CreateDeviceID1Click()
{
    if (auto page = Page(); page && page->CreateDeviceID(platform::prompter(), FHost.ServiceLevel ? FHost.ServiceLevel() : 0))
        if (isVisible())
            FillDevicePage();
}

void DevicePanel::ApplyServiceLevel(int Level) { MkDummyDevBtn->setVisible(Level >= 2); }

} // namespace kvr::app
