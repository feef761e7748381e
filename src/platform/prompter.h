#pragma once
// Message boxes, questions and file and folder choices. Commands ask through this interface so
// that they run the same under a real desktop and under a scripted test.

#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace kvr::platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class Icon { None, Question, Exclamation, Information, Error };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct FileChoice {
    QString title;
    QString filter;      // "Description|*.ext|Other|*.a;*.b"
    QString defaultExt;  // without the dot
    QString initialDir;
    QString fileName;    // proposed name
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

    const std::vector<Record>& records() const { return records_; }
    bool scriptUsedUp() const { return answers_.empty() && texts_.empty(); }
    int unexpected = 0;

private:
    std::optional<QString> nextText();

    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> texts_;
    std::vector<Record> records_;
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
};

// "Desc|*.a|Other|*.b;*.c" as a Qt filter list "Desc (*.a);;Other (*.b *.c)".
QString qtFileFilter(const QString& filter);

} // namespace kvr::platform
