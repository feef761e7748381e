#include "platform/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace kvr::platform {

namespace {

QMessageBox::StandardButtons standardButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::YesCancel: return QMessageBox::Yes | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return Answer::Cancel;
    }
}

std::optional<QString> chosen(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QString initialPath(const FileChoice& choice)
{
    if (choice.fileName.isEmpty())
        return choice.initialDir;
    if (choice.initialDir.isEmpty())
        return choice.fileName;
    return choice.initialDir + QLatin1Char('/') + choice.fileName;
}

} // namespace

Answer QtPrompter::messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon)
{
    QMessageBox box(boxIcon(icon), caption, text, standardButtons(buttons), QApplication::activeWindow());
    return answerOf(box.exec());
}

void QtPrompter::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

std::optional<QString> QtPrompter::inputQuery(const QString& caption, const QString& prompt, const QString& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPrompter::openFileName(const FileChoice& choice)
{
    return chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), choice.title, initialPath(choice),
                                               qtFileFilter(choice.filter)));
}

std::optional<QString> QtPrompter::saveFileName(const FileChoice& choice)
{
    QFileDialog dialog(QApplication::activeWindow(), choice.title, initialPath(choice), qtFileFilter(choice.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(choice.defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompter::selectFolder(const QString& caption, const QString& initialDir)
{
    return chosen(QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, initialDir));
}

std::optional<QString> QtPrompter::chooseFolder(const FolderChoice& choice)
{
    QFileDialog dialog(QApplication::activeWindow(), choice.caption,
                       choice.initialDir.isEmpty() ? choice.rootDir : choice.initialDir);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(qtFolderOptions(choice.options));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace kvr::platform
