#include "editors/dsp/devparaform.h"

#include "controls/kvrpoti3.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace kvr::editors {

TDevParaForm::TDevParaForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("DevParaForm");
    setWindowTitle("Device Configuration");
    auto* outer = new QVBoxLayout(this);
    FBody = new QVBoxLayout;
    outer->addLayout(FBody);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("OkButton");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelButton");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TDevParaForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDevParaForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
}

void TDevParaForm::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

int TDevParaForm::ShowModal()
{
    FormShow();
    if (exec() != QDialog::Accepted)
        return 2;
    Parameters = FCodec.Words();
    return 1;
}

void TDevParaForm::FormShow()
{
    FCodec.Open(DSPFunctionType, Parameters);
    delete FPanel;
    FControls.clear();
    FTexts.clear();
    FGroups.clear();
    FPanel = new QWidget(this);
    FPanel->setObjectName(FCodec.Panel());
    FBody->addWidget(FPanel);
    auto* layout = new QVBoxLayout(FPanel);
    if (!FCodec.HasOptions()) {
        auto* none = new QLabel("This DSP-function has no options.", FPanel);
        none->setObjectName("NoOptText");
        layout->addWidget(none);
        return;
    }
    auto* title = new QLabel(FCodec.Title(), FPanel);
    title->setObjectName("PanelTitle");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    const auto& fields = FCodec.Fields();
    int row = 0;
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const DspField& f = fields[static_cast<std::size_t>(i)];
        QWidget* control = nullptr;
        QLabel* text = nullptr;
        std::vector<QWidget*> group;
        switch (f.Kind) {
        case DspControl::Knob: {
            auto* label = new QLabel(QString::fromUtf8(f.Caption), FPanel);
            auto* knob = new controls::TKVRPoti3(FPanel);
            knob->setObjectName(f.Control);
            knob->setFixedSize(40, 40);
            label->setBuddy(knob);
            knob->SetMin(FCodec.Min(i));
            knob->SetMax(FCodec.Max(i));
            knob->SetMin(FCodec.Min(i));
            knob->OnChange = [this, i](controls::TKVRPoti3* Sender) { Changed(i, Sender->Position()); };
            grid->addWidget(label, row, 0);
            grid->addWidget(knob, row, 1);
            if (f.Text != DspText::None) {
                text = new QLabel(FPanel);
                text->setObjectName(QString(f.Control) + "Text");
                // As wide as the widest text the knob can bring, so that none is cut later.
                int width = 110;
                for (const std::string& shown : FCodec.Texts(i))
                    width = std::max(width, text->fontMetrics().horizontalAdvance(QString::fromStdString(shown)));
                text->setMinimumWidth(width + 2 * text->margin() + 2 * text->frameWidth());
                grid->addWidget(text, row, 2);
            } else {
                auto* scale = new QLabel("fast - slow", FPanel);
                grid->addWidget(scale, row, 2);
                group.push_back(scale);
            }
            group.push_back(label);
            control = knob;
            break;
        }
        case DspControl::Check: {
            auto* box = new QCheckBox(QString::fromUtf8(f.Caption), FPanel);
            box->setObjectName(f.Control);
            connect(box, &QCheckBox::clicked, this, [this, i](bool on) { Changed(i, on ? 1 : 0); });
            grid->addWidget(box, row, 0, 1, 3);
            control = box;
            break;
        }
        case DspControl::Combo: {
            auto* label = new QLabel(QString::fromUtf8(f.Caption), FPanel);
            auto* combo = new QComboBox(FPanel);
            combo->setObjectName(f.Control);
            label->setBuddy(combo);
            for (const std::string& item : FCodec.Items(i))
                combo->addItem(QString::fromStdString(item));
            connect(combo, &QComboBox::activated, this, [this, i](int index) { Changed(i, index); });
            grid->addWidget(label, row, 0);
            grid->addWidget(combo, row, 1, 1, 2);
            group.push_back(label);
            control = combo;
            break;
        }
        case DspControl::Radio: {
            auto* box = new QGroupBox(QString::fromUtf8(f.Caption), FPanel);
            box->setObjectName(f.Control);
            auto* lay = new QHBoxLayout(box);
            const auto items = FCodec.Items(i);
            for (int k = 0; k < static_cast<int>(items.size()); ++k) {
                auto* button = new QRadioButton(QString::fromStdString(items[static_cast<std::size_t>(k)]), box);
                button->setObjectName(QString(f.Control) + QString::number(k));
                button->setAutoExclusive(false);
                connect(button, &QRadioButton::clicked, this, [this, i, k](bool) { Changed(i, k); });
                lay->addWidget(button);
            }
            grid->addWidget(box, row, 0, 1, 3);
            control = box;
            break;
        }
        case DspControl::Tabs: {
            auto* tabs = new QTabBar(FPanel);
            tabs->setObjectName(f.Control);
            for (const std::string& item : FCodec.Items(i))
                tabs->addTab(QString::fromStdString(item));
            // The value follows the tab shown, however the user changed it.
            connect(tabs, &QTabBar::currentChanged, this, [this, i](int index) {
                if (index >= 0)
                    Changed(i, index);
            });
            grid->addWidget(tabs, row, 0, 1, 3);
            control = tabs;
            break;
        }
        }
        FControls.push_back(control);
        FTexts.push_back(text);
        if (text != nullptr)
            group.push_back(text);
        group.push_back(control);
        FGroups.push_back(group);
        ++row;
    }
    Refresh();
}

void TDevParaForm::Changed(int field, int value)
{
    if (FRefreshing)
        return;
    FCodec.Set(field, value);
    Refresh();
}

void TDevParaForm::Refresh()
{
    FRefreshing = true;
    const auto& fields = FCodec.Fields();
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const auto index = static_cast<std::size_t>(i);
        const int value = FCodec.Value(i);
        switch (fields[index].Kind) {
        case DspControl::Knob: {
            auto* knob = static_cast<controls::TKVRPoti3*>(FControls[index]);
            knob->SetMax(FCodec.Max(i));
            knob->SetPosition(value);
            break;
        }
        case DspControl::Check:
            static_cast<QCheckBox*>(FControls[index])->setChecked(value != 0);
            break;
        case DspControl::Combo:
            static_cast<QComboBox*>(FControls[index])->setCurrentIndex(value);
            break;
        case DspControl::Radio: {
            const auto buttons = FControls[index]->findChildren<QRadioButton*>();
            for (int k = 0; k < static_cast<int>(buttons.size()); ++k)
                buttons[k]->setChecked(k == value);
            break;
        }
        case DspControl::Tabs:
            static_cast<QTabBar*>(FControls[index])->setCurrentIndex(value);
            break;
        }
        if (FTexts[index] != nullptr)
            FTexts[index]->setText(QString::fromStdString(FCodec.Text(i)));
        for (QWidget* w : FGroups[index])
            w->setVisible(FCodec.Visible(i));
    }
    FRefreshing = false;
}

} // namespace kvr::editors
