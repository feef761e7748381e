#include "platform/prompter.h"

#include <QStringList>

namespace kvr::platform {

Answer ScriptedPrompter::messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon)
{
    records_.push_back({Record::MessageBox, text, caption, buttons, icon});
    if (answers_.empty()) {
        ++unexpected;
        return Answer::Cancel;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

void ScriptedPrompter::showMessage(const QString& text)
{
    records_.push_back({Record::Message, text, {}, Buttons::Ok, Icon::None});
}

std::optional<QString> ScriptedPrompter::nextText()
{
    if (texts_.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    // Taken apart, so that no optional is copied (g++ 12 warns wrongly about that copy).
    const bool given = texts_.front().has_value();
    const QString text = given ? *texts_.front() : QString();
    texts_.pop_front();
    if (!given)
        return std::nullopt;
    return text;
}

std::optional<QString> ScriptedPrompter::inputQuery(const QString& caption, const QString& prompt, const QString&)
{
    records_.push_back({Record::Input, prompt, caption, Buttons::OkCancel, Icon::None});
    return nextText();
}

std::optional<QString> ScriptedPrompter::openFileName(const FileChoice& choice)
{
    records_.push_back({Record::OpenFile, choice.filter, choice.title, Buttons::OkCancel, Icon::None});
    return nextText();
}

std::optional<QString> ScriptedPrompter::saveFileName(const FileChoice& choice)
{
    records_.push_back({Record::SaveFile, choice.filter, choice.title, Buttons::OkCancel, Icon::None});
    return nextText();
}

std::optional<QString> ScriptedPrompter::selectFolder(const QString& caption, const QString&)
{
    records_.push_back({Record::Folder, {}, caption, Buttons::OkCancel, Icon::None});
    return nextText();
}

std::optional<QString> Prompter::chooseFolder(const FolderChoice& choice)
{
    return selectFolder(choice.caption, choice.initialDir.isEmpty() ? choice.rootDir : choice.initialDir);
}

std::optional<QString> ScriptedPrompter::chooseFolder(const FolderChoice& choice)
{
    records_.push_back({Record::Folder, choice.initialDir, choice.caption, Buttons::OkCancel, Icon::None});
    folderChoices_.push_back(choice);
    return nextText();
}

QFileDialog::Options qtFolderOptions(unsigned options)
{
    QFileDialog::Options result;
    if ((options & FolderDirsOnly) != 0)
        result |= QFileDialog::ShowDirsOnly;
    // Qt's own dialog always has the line to type a folder into.
    if ((options & FolderEditBox) != 0)
        result |= QFileDialog::DontUseNativeDialog;
    // Without the new-folder option the browser only browses.
    if ((options & FolderNewFolder) == 0)
        result |= QFileDialog::ReadOnly;
    return result;
}

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace kvr::platform
