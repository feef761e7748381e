#pragma once
// The application object: an exception that escapes an event handler is shown in the standard
// exception box and the event loop goes on.

#include <QApplication>

#include <functional>
#include <string>

namespace kvr::platform {

class TKVRApplication : public QApplication {
    Q_OBJECT
public:
    TKVRApplication(int& Argc, char** Argv);

    bool notify(QObject* Receiver, QEvent* Event) override;

    // The standard exception box: the message with the error icon, captioned with the
    // application's title.
    static void ShowException(const QString& Message);
    // Replaces the box (tests record instead); an empty function restores it.
    static void SetExceptionPresenter(std::function<void(const QString&)> Presenter);
};

// Makes the system font of the windows the application's font; the program and the widget tests
// call it at start, before any window exists.
void UseSystemFont();

// Gives every tab bar the application makes a focus the Tab key reaches on any desktop, so a
// keyboard user can change tabs with the arrow keys; the program and the widget tests call it at
// start, before any window exists.
void UseKeyboardReachableTabs();

// Shows an assertion report in a plain box with an OK button.
void ShowAssertionReport(const std::string& Report);

// Folder of the program file, with a trailing separator.
std::string ProgramFolder();
// File names cross to and from the data model as the file system's own bytes.
std::string ToNativePath(const QString& Path);
QString FromNativePath(const std::string& Path);

} // namespace kvr::platform
