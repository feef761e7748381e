#include "platform/kvrmsgform.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <stdexcept>

#include "platform/msgformlayout.h"
#include "platform/text1252.h"

namespace kvr::platform {

namespace {

QString Text(const std::string& s) { return fromCp1252(s); }

QStyle::StandardPixmap IconOf(int Kind)
{
    switch (Kind) {
    case 1: return QStyle::SP_MessageBoxWarning;
    case 3: return QStyle::SP_MessageBoxQuestion;
    case 4: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_MessageBoxCritical;
    }
}

} // namespace

TKVRMsgForm::TKVRMsgForm(QWidget* Owner) : QDialog(Owner)
{
    setObjectName("KVRMsgForm");
    setWindowTitle("KVRMsgForm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    QFont font = this->font();
    font.setFamily("Tahoma");
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(244, 115);

    Image = new QLabel(this);
    Image->setObjectName("Image");
    Image->setGeometry(10, 10, 41, 41);
    Image->setAlignment(Qt::AlignCenter);

    Label = new QLabel("LABEL", this);
    Label->setObjectName("Label");
    Label->setTextFormat(Qt::PlainText); // an ampersand shows as itself
    Label->move(85, 23);

    IDLabel = new QLabel("00000000", this);
    IDLabel->setObjectName("IDLabel");
    IDLabel->setTextFormat(Qt::PlainText);
    IDLabel->setCursor(Qt::PointingHandCursor);
    QFont link = font;
    link.setUnderline(true);
    IDLabel->setFont(link);
    QPalette palette = IDLabel->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    IDLabel->setPalette(palette);
    IDLabel->move(8, 56);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(8, 88, 25, 17);
    Edit1->setReadOnly(true);
    Edit1->setVisible(false);
}

void TKVRMsgForm::SetKind(int Kind)
{
    const std::string caption = MsgKindCaption(Kind);
    if (caption.empty())
        return;
    setWindowTitle(QString::fromStdString(caption));
    Image->setPixmap(style()->standardIcon(IconOf(Kind)).pixmap(32, 32));
}

int TKVRMsgForm::Execute(int Kind, const std::string& TextIn, unsigned Code, const std::string& Buttons)
{
    qDeleteAll(ButtonList);
    ButtonList.clear();
    Answer = 0;

    const QFontMetrics labelMetrics(Label->font());
    const QFontMetrics linkMetrics(IDLabel->font());
    const MsgTextMetrics metrics{[&](const std::string& line) { return labelMetrics.horizontalAdvance(Text(line)); },
                                 labelMetrics.height()};
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);

    const MsgButtons parsed = ParseMsgButtons(Buttons);
    const MsgLayout layout = LayoutMsgForm(TextIn, parsed, metrics, screenSize.width(), screenSize.height());

    SetKind(Kind);
    Image->setGeometry(layout.Image.Left, layout.Image.Top, layout.Image.Width, layout.Image.Height);
    Label->setText(Text(layout.LabelText));
    Label->setGeometry(layout.Label.Left, layout.Label.Top, layout.Label.Width + 1, layout.Label.Height);
    Image->setToolTip(QString::fromStdString(MsgCodeText(Code)));

    IDLabel->setVisible(layout.LinkVisible);
    IDLabel->setText(QString::fromLatin1(MsgLinkText));
    IDLabel->setProperty("Tag", Code);
    if (layout.LinkVisible) {
        const int linkWidth = linkMetrics.horizontalAdvance(QString::fromLatin1(MsgLinkText).mid(1));
        IDLabel->setGeometry(layout.Link.Left, layout.Link.Top, std::max(linkWidth, layout.Link.Width) + 1,
                             2 * linkMetrics.height());
    }

    setFixedSize(layout.ClientWidth, layout.ClientHeight);
    CreateButtons(parsed, layout);
    if (screen) {
        const QRect available = screen->geometry();
        move(available.x() + layout.Left, available.y() + layout.Top);
    }
    QMetaObject::invokeMethod(this, &TKVRMsgForm::Shown, Qt::QueuedConnection);
    const int result = exec();
    if (Answer == 0)
        Answer = result;
    qDeleteAll(ButtonList);
    ButtonList.clear();
    return Answer;
}

void TKVRMsgForm::CreateButtons(const MsgButtons& Buttons, const MsgLayout& Layout)
{
    for (std::size_t i = 0; i < Buttons.Buttons.size(); ++i) {
        const MsgButton& spec = Buttons.Buttons[i];
        const MsgRect& r = Layout.ButtonRects[i];
        auto* button = new QPushButton(QString::fromStdString(spec.Caption), this);
        button->setObjectName(QString("Button%1").arg(i + 1));
        button->setGeometry(r.Left, r.Top, r.Width, r.Height);
        button->setProperty("ModalResult", spec.ModalResult);
        button->setDefault(spec.Default);
        button->setAutoDefault(spec.Default);
        connect(button, &QPushButton::clicked, this, &TKVRMsgForm::ButtonClick);
        button->show();
        ButtonList.push_back(button);
    }
}

void TKVRMsgForm::Finish(int Result)
{
    Answer = Result;
    done(Result);
}

void TKVRMsgForm::ButtonClick()
{
    if (auto* button = qobject_cast<QPushButton*>(sender()))
        Finish(button->property("ModalResult").toInt());
}

void TKVRMsgForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        Finish(msgCancel);
        return;
    }
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        for (QPushButton* button : ButtonList) {
            if (button->isDefault()) {
                Finish(button->property("ModalResult").toInt());
                return;
            }
        }
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && ButtonList.contains(focused)) {
            Finish(focused->property("ModalResult").toInt());
            return;
        }
        return;
    }
    if (Event->matches(QKeySequence::Copy)) {
        Edit1->setText(Label->text());
        Edit1->selectAll();
        Edit1->copy();
        if (QClipboard* clipboard = QApplication::clipboard(); clipboard && clipboard->text() != Label->text())
            clipboard->setText(Label->text());
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TKVRMsgForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    for (QPushButton* button : ButtonList) {
        if (button->isDefault() && button->focusPolicy() != Qt::NoFocus) {
            button->setFocus();
            break;
        }
    }
}

void TKVRMsgForm::changeEvent(QEvent* Event)
{
    QDialog::changeEvent(Event);
    // Stays above the program's other windows until answered.
    if (Event->type() == QEvent::ActivationChange && Answer == 0 && isVisible() && !isActiveWindow())
        raise();
}

int ShowKVRMessage(int Kind, const std::string& Text, unsigned Code, const std::string& Buttons)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error("no application to show the message in");
    TKVRMsgForm form(QApplication::activeWindow());
    return form.Execute(Kind, Text, Code, Buttons);
}

} // namespace kvr::platform
