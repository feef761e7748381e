#pragma once
// The options dialog "Configuration": edits a working copy of the preferences. Check boxes write
// the copy at once; the edit fields only on OK. The caller takes the copy over whichever button
// closed the dialog.

#include <QDialog>

#include <string>

#include "app/preferences.h"
#include "controls/updown.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kvr::app {

using controls::TUpDown;

class TOptionForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionForm(QWidget* Parent = nullptr);

    TPreferences FPrefs;        // the working copy
    std::string FProgramDir;    // start folder of the browser when the folder field is empty

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QLineEdit* Edit3 = nullptr;
    TUpDown* UpDown2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    TUpDown* UpDown1 = nullptr;
    QGroupBox* LogOptions = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QPushButton* Button3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button2 = nullptr; // OK
    QPushButton* Button1 = nullptr; // Cancel

    // Switches of the never-shown "DEBUG" tab, read by other parts directly.
    QCheckBox* AdaptLogicBox = nullptr;
    QCheckBox* MemAccessBox = nullptr;
    QCheckBox* RefreshTimeBox = nullptr;
    QCheckBox* ExtentLogicSourceNames = nullptr;
    QCheckBox* ExtentAudioSourceNames = nullptr;
    QCheckBox* ShowCellAddr = nullptr;
    QCheckBox* ShowGPOIndex = nullptr;
    QCheckBox* ShowORIndex = nullptr;
    QCheckBox* MMShowChannelNum = nullptr;
    QCheckBox* ShowModIDTable = nullptr;
    QCheckBox* ShowPrinterDebug = nullptr;
    QCheckBox* GPIPotTableRecord = nullptr;

public slots:
    void Button2Click();
    void Button1Click();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void Edit4Exit();
    void FolderEditExit();
    void Button3Click();

protected:
    void showEvent(QShowEvent* Event) override;    // FormShow
    void keyPressEvent(QKeyEvent* Event) override; // FormKeyDown
};

} // namespace kvr::app
