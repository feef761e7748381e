#include "editors/audio/syncpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/audio/synchronisation.h"
#include "platform/text1252.h"

namespace kvr::editors {

TSynchronisationPage::TSynchronisationPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("SynchronisationPage");
    auto* layout = new QVBoxLayout(this);
    Group = new QGroupBox("Synchronisation", this);
    Group->setObjectName("GroupBoxSync");
    auto* form = new QFormLayout(Group);
    ComboBox9 = new QComboBox(Group);
    ComboBox9->setObjectName("ComboBox9");
    ComboBox10 = new QComboBox(Group);
    ComboBox10->setObjectName("ComboBox10");
    form->addRow("Sync Source 1", ComboBox9);
    form->addRow("Sync Source 2", ComboBox10);
    RadioButton5 = new QRadioButton("48 kHz", Group);
    RadioButton5->setObjectName("RadioButton5");
    RadioButton6 = new QRadioButton("44.1 kHz", Group);
    RadioButton6->setObjectName("RadioButton6");
    form->addRow(RadioButton5);
    form->addRow(RadioButton6);
    SyncBNCOut = new QCheckBox("Slot 10 BNC as Output", Group);
    SyncBNCOut->setObjectName("SyncBNCOut");
    SyncVCXO = new QCheckBox("Disable VCXO on BP2/3", Group);
    SyncVCXO->setObjectName("SyncVCXO");
    SyncVariSpeed = new QCheckBox("VariSpeed", Group);
    SyncVariSpeed->setObjectName("SyncVariSpeed");
    form->addRow(SyncBNCOut);
    form->addRow(SyncVCXO);
    form->addRow(SyncVariSpeed);
    Group->setFixedWidth(420);
    layout->addWidget(Group);
    layout->addStretch();

    connect(ComboBox9, &QComboBox::activated, this, [this] { SourceChosen(1); });
    connect(ComboBox10, &QComboBox::activated, this, [this] { SourceChosen(2); });
    for (QRadioButton* button : {RadioButton5, RadioButton6})
        connect(button, &QRadioButton::clicked, this, [this] {
            if (!FFillingSync && Device())
                Synchronisation(*Device()).SetRate44k1(!RadioButton5->isChecked() && RadioButton6->isChecked());
        });
    const std::pair<QCheckBox*, std::uint8_t> switches[] = {
        {SyncBNCOut, Synchronisation::kBNCOut}, {SyncVCXO, Synchronisation::kVCXO}, {SyncVariSpeed, Synchronisation::kVariSpeed}};
    for (const auto& [box, bit] : switches)
        connect(box, &QCheckBox::clicked, this, [this, box = box, bit = bit] {
            if (!FFillingSync && Device())
                Synchronisation(*Device()).SetOption(bit, box->isChecked());
        });
}

void TSynchronisationPage::ShowBNCOut(const SyncView& View)
{
    SyncBNCOut->setChecked(View.BNCOut);
    SyncBNCOut->setEnabled(View.BNCOutEnabled);
}

void TSynchronisationPage::TabShow()
{
    if (!Device())
        return;
    FFillingSync = true;
    const SyncView v = Synchronisation(*Device()).Show();
    for (QComboBox* combo : {ComboBox9, ComboBox10}) {
        combo->clear();
        for (const SyncItem& item : v.Items)
            combo->addItem(platform::fromCp1252(item.Text), item.Code);
    }
    Group->setEnabled(v.Enabled);
    if (v.Enabled) {
        ComboBox9->setCurrentIndex(v.Source1);
        ComboBox10->setCurrentIndex(v.Source2);
        RadioButton6->setChecked(v.Rate44k1);
        RadioButton5->setChecked(!v.Rate44k1);
        SyncVCXO->setChecked(v.DisableVCXO);
        SyncVariSpeed->setChecked(v.VariSpeed);
        ShowBNCOut(v);
    }
    FFillingSync = false;
}

void TSynchronisationPage::SourceChosen(int Source)
{
    if (FFillingSync || !Device())
        return;
    QComboBox* chosen = Source == 1 ? ComboBox9 : ComboBox10;
    QComboBox* other = Source == 1 ? ComboBox10 : ComboBox9;
    ShowBNCOut(Synchronisation(*Device()).Choose(Source, chosen->currentIndex(), other->currentIndex()));
}

} // namespace kvr::editors
