#include "app/projectpages/glprotoform.h"

#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

#include "app/projectpages/gllamp.h"
#include "platform/text1252.h"

namespace kvr::app {

namespace {
constexpr int ClientWidth = 712;
constexpr int ClientHeight = 264;
constexpr int BottomHeight = 41;
constexpr int MemoWidth = 460;

std::string LocalDateTime()
{
    return platform::toCp1252(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

// One legend entry: a sample lamp and its text.
void LegendEntry(QWidget* Parent, int X, int Y, const char* Name, GLLampColor Color, bool Yellow, const char* Text,
                 int TextWidth)
{
    auto* sample = new TGLLamp(-1, Parent);
    sample->setObjectName(Name);
    sample->SetState(GLLamp{Color, Yellow, {}});
    sample->move(X, Y);
    auto* label = new QLabel(Text, Parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPixelSize(10);
    label->setFont(font);
    label->setGeometry(X + 14, Y - 2, TextWidth, 30);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}
} // namespace

TGLProtoForm::TGLProtoForm(QWidget* Parent) : QDialog(Parent), Monitor(LocalDateTime)
{
    setObjectName("GLProtoForm");
    setWindowTitle("Global Logic Monitor");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(ClientWidth, ClientHeight);

    auto* panel2 = new QWidget(this);
    panel2->setObjectName("Panel2");
    panel2->setGeometry(0, 0, ClientWidth, ClientHeight - BottomHeight);
    Memo1 = new QPlainTextEdit(panel2);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setGeometry(0, 0, MemoWidth, ClientHeight - BottomHeight);

    ShapePanel = new QGroupBox("Graphical View", panel2);
    ShapePanel->setObjectName("ShapePanel");
    ShapePanel->setGeometry(MemoWidth + 8, 2, 20 * 11 + 12, 10 * 15 + 22);
    const int legendX = MemoWidth + 8;
    const int legendY = 10 * 15 + 30;
    LegendEntry(panel2, legendX, legendY, "Shape1", GLLampColor::Red, false, "State = ON", 78);
    LegendEntry(panel2, legendX, legendY + 15, "Shape2", GLLampColor::Green, false, "State = OFF", 78);
    LegendEntry(panel2, legendX, legendY + 30, "Shape3", GLLampColor::Grey, false, "State unknown", 78);
    LegendEntry(panel2, legendX + 92, legendY, "Shape4", GLLampColor::Black, false,
                "Not monitored          (Click right to switch)", 116);
    LegendEntry(panel2, legendX + 92, legendY + 30, "Shape5", GLLampColor::Grey, true, "Multiple Sources",
                116);

    auto* panel1 = new QWidget(this);
    panel1->setObjectName("Panel1");
    panel1->setGeometry(0, ClientHeight - BottomHeight, ClientWidth, BottomHeight);
    auto* buttons = new QHBoxLayout(panel1);
    buttons->addStretch(1);
    Reset = new QPushButton("Reset memory", panel1);
    Reset->setObjectName("Reset");
    CloseBtn = new QPushButton("Close", panel1);
    CloseBtn->setObjectName("CloseBtn");
    buttons->addWidget(Reset);
    buttons->addWidget(CloseBtn);
    connect(Reset, &QPushButton::clicked, this, [this] {
        Monitor.Reset();
        Refresh();
    });
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
}

void TGLProtoForm::Open(std::function<model::TProject*()> Project, std::function<void(Kvrdata_ns::TUDPMsg&)> Send)
{
    FProject = std::move(Project);
    Current();
    Monitor.SetSend(std::move(Send));
    show();
    raise();
}

GlobalLogicMonitor& TGLProtoForm::Current()
{
    Monitor.SetProject(FProject ? FProject() : nullptr);
    return Monitor;
}

TGLLamp* TGLProtoForm::Lamp(int Index) const
{
    return Index >= 0 && Index < GLLampCount ? FLamps[static_cast<std::size_t>(Index)] : nullptr;
}

void TGLProtoForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous() && !Monitor.IsOpen())
        FormShow();
}

void TGLProtoForm::hideEvent(QHideEvent* Event)
{
    QDialog::hideEvent(Event);
    // Escape rejects the dialog, which hides it without a close event.
    if (!Event->spontaneous() && !isVisible())
        FormClose();
}

void TGLProtoForm::closeEvent(QCloseEvent* Event)
{
    QDialog::closeEvent(Event);
    FormClose();
}

void TGLProtoForm::FormShow()
{
    Current().Open();
    for (int n = 0; n < GLLampCount; ++n) {
        auto* lamp = new TGLLamp(n, ShapePanel);
        lamp->move((n % 20) * 11 + 5, (n / 20) * 15 + 15);
        lamp->OnMouseDown = [this](int Index, GLMouseButton Button) {
            Current().LampMouseDown(Index, Button);
            Refresh();
        };
        lamp->show();
        FLamps[static_cast<std::size_t>(n)] = lamp;
    }
    FShownLog = ~std::uint64_t{0};
    Refresh();
}

void TGLProtoForm::FormClose()
{
    if (!Monitor.IsOpen())
        return;
    Monitor.Close();
    for (TGLLamp*& lamp : FLamps) {
        delete lamp;
        lamp = nullptr;
    }
}

void TGLProtoForm::DCCBroadcastReceived(const Kvrdata_ns::TUDPMsg& Msg)
{
    if (Current().BroadcastReceived(Msg, isVisible()))
        Refresh();
}

void TGLProtoForm::DCCCANBlockReceived(const Kvrdata_ns::KVRCANBlock& Block, std::uint32_t HostIP)
{
    if (Current().CANBlockReceived(Block, HostIP, isVisible()))
        Refresh();
}

void TGLProtoForm::Refresh()
{
    const auto& lamps = Monitor.Lamps();
    for (std::size_t n = 0; n < lamps.size() && n < FLamps.size(); ++n)
        if (FLamps[n])
            FLamps[n]->SetState(lamps[n]);
    if (Monitor.LogVersion() == FShownLog)
        return;
    FShownLog = Monitor.LogVersion();
    QStringList lines;
    for (const std::string& line : Monitor.Log())
        lines << platform::fromCp1252(line);
    Memo1->setPlainText(lines.join('\n'));
    // The newest line in view.
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

} // namespace kvr::app
