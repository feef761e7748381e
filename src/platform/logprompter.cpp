#include "platform/logprompter.h"

#include <cstdio>
#include <fstream>

namespace kvr::platform {

LogPrompter::LogPrompter(std::string FileName) : FileName(std::move(FileName)) {}

Answer LogPrompter::FirstAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel: return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
    case Buttons::YesCancel: return Answer::Yes;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    case Buttons::RetryCancel: return Answer::Retry;
    }
    return Answer::Ok;
}

void LogPrompter::Write(const QString& kind, const QString& caption, const QString& text)
{
    const QByteArray line = (kind + " [" + caption + "] " + text + "\n").toUtf8();
    if (FileName == "-") {
        std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
        return;
    }
    std::ofstream out(FileName, std::ios::app | std::ios::binary);
    out.write(line.constData(), line.size());
}

Answer LogPrompter::messageBox(const QString& text, const QString& caption, Buttons buttons, Icon)
{
    Write("box", caption, text);
    return FirstAnswer(buttons);
}

void LogPrompter::showMessage(const QString& text)
{
    Write("message", QString(), text);
}

std::optional<QString> LogPrompter::inputQuery(const QString& caption, const QString& prompt, const QString&)
{
    Write("input", caption, prompt);
    return std::nullopt;
}

std::optional<QString> LogPrompter::openFileName(const FileChoice& choice)
{
    Write("open", choice.title, choice.filter);
    return std::nullopt;
}

std::optional<QString> LogPrompter::saveFileName(const FileChoice& choice)
{
    Write("save", choice.title, choice.filter);
    return std::nullopt;
}

std::optional<QString> LogPrompter::selectFolder(const QString& caption, const QString& initialDir)
{
    Write("folder", caption, initialDir);
    return std::nullopt;
}

} // namespace kvr::platform
