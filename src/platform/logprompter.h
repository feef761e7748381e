#pragma once
// Prompts written to a file instead of shown, each answered as a user who presses the first
// button and cancels every choice: for program-level tests without anyone at the screen.

#include <string>

#include "platform/prompter.h"

namespace kvr::platform {

class LogPrompter : public Prompter {
public:
    // "-" writes to standard error.
    explicit LogPrompter(std::string FileName);

    Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
    void showMessage(const QString& text) override;
    std::optional<QString> inputQuery(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> openFileName(const FileChoice& choice) override;
    std::optional<QString> saveFileName(const FileChoice& choice) override;
    std::optional<QString> selectFolder(const QString& caption, const QString& initialDir) override;

    // The answer of the first button.
    static Answer FirstAnswer(Buttons buttons);

private:
    void Write(const QString& kind, const QString& caption, const QString& text);
    std::string FileName;
};

} // namespace kvr::platform
