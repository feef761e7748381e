#pragma once
// Message boxes, questions and file and folder choices. Commands ask through this interface so
// that they run the same under a real desktop and under a scripted test.

#include <QFileDialog>
#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace kvr::platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel, YesCancel };
enum class Icon { None, Question, Exclamation, Information, Error };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct FileChoice {
    QString title;
    QString filter;      // "Description|*.ext|Other|*.a;*.b"
    QString defaultExt;  // without the dot
    QString initialDir;
    QString fileName;    // proposed name
};

// What a folder browser is asked to do, as option bits; a dialog honours what it can.
enum FolderOption : unsigned {
    FolderDirsOnly = 1u << 0,     // only folders can be chosen
    FolderEditBox = 1u << 1,      // a line to type the folder into
    FolderStatusText = 1u << 2,   // a status line
    FolderNewFolder = 1u << 3,    // the user may make new folders
    FolderComputers = 1u << 4,    // a computer of the network is chosen
    FolderPrinters = 1u << 5,     // a printer is chosen
    FolderStayInDomain = 1u << 6, // nothing below the network domain
    FolderAncestors = 1u << 7,    // only file-system ancestors
};

struct FolderChoice {
    QString caption;      // shown above the folders; none when empty
    QString initialDir;   // selected first; the root when empty
    QString rootDir;      // where the browser starts
    unsigned options = FolderDirsOnly;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) = 0;
    // A plain box with one OK button and the program's title as caption.
    virtual void showMessage(const QString& text) = 0;
    virtual std::optional<QString> inputQuery(const QString& caption, const QString& prompt, const QString& value) = 0;
    virtual std::optional<QString> openFileName(const FileChoice& choice) = 0;
    virtual std::optional<QString> saveFileName(const FileChoice& choice) = 0;
    virtual std::optional<QString> selectFolder(const QString& caption, const QString& initialDir) = 0;
    // A folder browser with options; without its own, the plain folder choice at the initial
    // folder (or the root).
    virtual std::optional<QString> chooseFolder(const FolderChoice& choice);
};

// Answers from a script, in order, and records every prompt. A prompt the script does not cover
// fails the test through `unexpected`.
class ScriptedPrompter : public Prompter {
public:
    struct Record {
        enum Kind { MessageBox, Message, Input, OpenFile, SaveFile, Folder } kind;
        QString text;
        QString caption;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
    };

    void answer(Answer a) { answers_.push_back(a); }
    void input(std::optional<QString> value) { texts_.push_back(std::move(value)); }
    void file(std::optional<QString> path) { texts_.push_back(std::move(path)); }

    Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    void showMessage(const QString& text) override;
    std::optional<QString> inputQuery(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> openFileName(const FileChoice& choice) override;
    std::optional<QString> saveFileName(const FileChoice& choice) override;
    std::optional<QString> selectFolder(const QString& caption, const QString& initialDir) override;
    std::optional<QString> chooseFolder(const FolderChoice& choice) override;

    const std::vector<Record>& records() const { return records_; }
    // What each folder browser was asked for, in order.
    const std::vector<FolderChoice>& folderChoices() const { return folderChoices_; }
    bool scriptUsedUp() const { return answers_.empty() && texts_.empty(); }
    int unexpected = 0;

private:
    std::optional<QString> nextText();

    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> texts_;
    std::vector<Record> records_;
    std::vector<FolderChoice> folderChoices_;
};

// The Qt dialogs.
class QtPrompter : public Prompter {
public:
    Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    void showMessage(const QString& text) override;
    std::optional<QString> inputQuery(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> openFileName(const FileChoice& choice) override;
    std::optional<QString> saveFileName(const FileChoice& choice) override;
    std::optional<QString> selectFolder(const QString& caption, const QString& initialDir) override;
    std::optional<QString> chooseFolder(const FolderChoice& choice) override;
};

// The Qt folder dialog's options for folder option bits.
QFileDialog::Options qtFolderOptions(unsigned options);

// "Desc|*.a|Other|*.b;*.c" as a Qt filter list "Desc (*.a);;Other (*.b *.c)".
QString qtFileFilter(const QString& filter);

} // namespace kvr::platform
