#include "service/moduleinfo/moduleinfoform.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "diagnostics/kvrinfoformat.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "service/maintenance/memo.h"
#include "service/maintenance/mtnmessages.h"

namespace kvr::service {

bool SaveTextFile(const QString& Path, const QString& Text)
{
    QSaveFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Text.toLatin1();
    return file.write(bytes) == bytes.size() && file.commit();
}

TModuleInfoForm::TModuleInfoForm(QWidget* Owner) : QDialog(Owner)
{
    setObjectName("ModuleInfoForm");
    setWindowTitle("Information");
    resize(802, 480);
    auto* layout = new QVBoxLayout(this);
    ModuleInfoMemo = NewCourierMemo(this, "ModuleInfoMemo");
    layout->addWidget(ModuleInfoMemo, 1);
    auto* buttons = new QHBoxLayout;
    SaveBtn = new QPushButton("Save To File", this);
    SendMailBtn = new QPushButton("Send As Mail", this);
    CloseBtn = new QPushButton("Close", this);
    CloseBtn->setDefault(true);
    buttons->addWidget(SaveBtn);
    buttons->addWidget(SendMailBtn);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    layout->addLayout(buttons);
    connect(SaveBtn, &QPushButton::clicked, this, &TModuleInfoForm::SaveBtnClick);
    connect(SendMailBtn, &QPushButton::clicked, this, &TModuleInfoForm::SendMailBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
}

void TModuleInfoForm::SetLines(const std::vector<std::string>& Lines)
{
    QStringList text;
    for (const std::string& line : Lines)
        text << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    ModuleInfoMemo->setPlainText(text.join('\n'));
}

void TModuleInfoForm::SaveBtnClick()
{
    platform::FileChoice choice;
    choice.defaultExt = "txt";
    choice.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    const auto path = platform::prompter().saveFileName(choice);
    if (!path)
        return;
    if (!SaveTextFile(*path, ModuleInfoMemo->toPlainText() + "\n"))
        platform::prompter().showMessage("The file " + *path + " could not be written.");
}

void TModuleInfoForm::SendMailBtnClick()
{
    if (!platform::sendSupportMail("Support request", ModuleInfoMemo->toPlainText(), Mail))
        InfoFormatter->ShowMessage(mmMailNotSent, "");
}

void TModuleInfoForm::keyPressEvent(QKeyEvent* Event)
{
    if ((Event->key() == Qt::Key_F11 || Event->key() == Qt::Key_F3) && ForwardKey) {
        ForwardKey(Event->key());
        return;
    }
    QDialog::keyPressEvent(Event); // Escape closes
}

} // namespace kvr::service
