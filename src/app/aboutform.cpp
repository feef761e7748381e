#include "app/aboutform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "app/startup.h"
#include "kvr/version.h"

namespace kvr::app {

std::uint32_t TAboutForm::DefaultMS()
{
    return (std::uint32_t{KVR_VERSION_MAJOR} << 16) | std::uint32_t{KVR_VERSION_MINOR};
}

std::uint32_t TAboutForm::DefaultLS()
{
    return (std::uint32_t{KVR_VERSION_RELEASE} << 16) | std::uint32_t{KVR_VERSION_BUILD};
}

TAboutForm::TAboutForm(QWidget* Parent, std::uint32_t FileVersionMS, std::uint32_t FileVersionLS) : QDialog(Parent)
{
    setObjectName("AboutForm");
    setWindowTitle("Information");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(418, 304);

    auto* picture = new QLabel(this);
    picture->setObjectName("Image1");
    picture->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
    picture->setAlignment(Qt::AlignCenter);
    picture->setFixedWidth(90);

    auto* info = new QGroupBox("Info", this);
    info->setObjectName("GroupBox1");
    Label8 = new QLabel(info);
    Label8->setObjectName("Label8");
    QFont title = Label8->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.4);
    Label8->setFont(title);
    Label9 = new QLabel(info);
    Label9->setObjectName("Label9");
    Label6 = new QLabel("No timestamp available", info);
    Label6->setObjectName("Label6");
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->addWidget(Label8);
    infoLayout->addWidget(Label9);
    infoLayout->addWidget(Label6);

    auto* contact = new QGroupBox("Contact", this);
    contact->setObjectName("GroupBox2");
    auto* contactLayout = new QVBoxLayout(contact);
    for (const char* line : {"KVR Broadcast Systems", "Console Street 1", "00000 Studio Town", "Phone: +00 000 000000",
                             "Fax: +00 000 000001"})
        contactLayout->addWidget(new QLabel(line, contact));
    const auto link = [&](const QString& text, const QString& hint, const char* name) {
        auto* label = new QLabel(text, contact);
        label->setObjectName(name);
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(hint);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
        label->setPalette(palette);
        label->installEventFilter(this);
        contactLayout->addWidget(label);
        return label;
    };
    Label11 = link(QString::fromLatin1(SupportAddress), "Send a support request", "Label11");
    Label13 = link(QString::fromLatin1(WebAddress), "Visit our web site", "Label13");

    auto* notice = new QLabel("KVR Broadcast Systems. All rights reserved.", this);
    notice->setObjectName("Label14");

    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* right = new QVBoxLayout;
    right->addWidget(info);
    right->addWidget(contact);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(notice, 1);
    bottom->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    Button1->setFocus();

    // FormCreate: the version fields only when there is a version.
    if (FileVersionMS != 0 || FileVersionLS != 0) {
        FFileVersionMS = FileVersionMS;
        FFileVersionLS = FileVersionLS;
        Label9->setText(QString::fromStdString(AboutVersionText(
            {FileVersionMS >> 16, FileVersionMS & 0xFFFF, FileVersionLS >> 16, FileVersionLS & 0xFFFF})));
    }
    Label8->setText(QString::fromLatin1(ApplicationTitle));
    Label6->setText(QStringLiteral(__DATE__ ", " __TIME__));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

bool TAboutForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease) {
        if (Watched == Label11) {
            Label11Click();
            return true;
        }
        if (Watched == Label13) {
            Label13Click();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TAboutForm::Label11Click()
{
    accept();
    // The user edits and sends the request in the desktop's own mail program.
    QUrl mail(QStringLiteral("mailto:") + QString::fromLatin1(SupportAddress));
    QUrlQuery query;
    query.addQueryItem("subject", "Support request");
    query.addQueryItem("body", "Enter your text here");
    mail.setQuery(query);
    QDesktopServices::openUrl(mail);
}

void TAboutForm::Label13Click()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(WebAddress)));
}

} // namespace kvr::app
