#include "platform/supportmail.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUrlQuery>

namespace kvr::platform {

MailOpener desktopMailOpener()
{
    return {[](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); },
            [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }};
}

QByteArray supportMailText(const QString& subject, const QString& body)
{
    QString text = body;
    text.replace("\r\n", "\n").replace('\n', "\r\n");
    QByteArray out;
    out += "To: \"" + QByteArray(SupportMailName) + "\" <" + QByteArray(SupportMailAddress) + ">\r\n";
    out += "Subject: " + subject.toUtf8() + "\r\n";
    out += "X-Unsent: 1\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=utf-8\r\n";
    out += "Content-Transfer-Encoding: 8bit\r\n\r\n";
    out += text.toUtf8();
    if (!out.endsWith("\r\n"))
        out += "\r\n";
    return out;
}

bool sendSupportMail(const QString& subject, const QString& body, const MailOpener& opener, const QString& folder)
{
    const QString dir = folder.isEmpty() ? QDir::tempPath() : folder;
    const QString path =
        QDir(dir).filePath("support-" + QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss-zzz") + ".eml");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(supportMailText(subject, body)) >= 0 && file.flush()) {
        file.close();
        if (opener.openFile && opener.openFile(path))
            return true;
    }
    file.remove();
    QUrlQuery query;
    query.addQueryItem("subject", subject);
    query.addQueryItem("body", body);
    QUrl url(QString("mailto:") + SupportMailAddress);
    url.setQuery(query);
    return opener.openUrl && opener.openUrl(url.toString(QUrl::FullyEncoded));
}

} // namespace kvr::platform
