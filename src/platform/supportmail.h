#pragma once
// Support mail: the message is written as an .eml file and opened with the desktop's mail
// handler; when that fails a mailto: address with subject and body is opened instead.

#include <QString>

#include <functional>

namespace kvr::platform {

// The support mailbox the service tools write to.
inline constexpr const char* SupportMailName = "Product Support";
inline constexpr const char* SupportMailAddress = "support@example.com";

struct MailOpener {
    std::function<bool(const QString& path)> openFile; // the desktop handler of a file
    std::function<bool(const QString& url)> openUrl;   // the desktop handler of a URL
};

// QDesktopServices for both.
MailOpener desktopMailOpener();

// The .eml text: To, Subject, a plain-text body with CR LF line ends.
QByteArray supportMailText(const QString& subject, const QString& body);

// Writes the message into folder (the temporary folder when empty) and opens it, or opens the
// mailto: fallback. False when neither could be opened.
bool sendSupportMail(const QString& subject, const QString& body, const MailOpener& opener, const QString& folder = {});

} // namespace kvr::platform
