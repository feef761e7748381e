#pragma once
// The configuration check list "Operation not allowed": shown instead of saving, extracting or
// loading to a device while a device exceeds a limit; lists every violation with a remedy.

#include <QDialog>

#include <functional>
#include <vector>

#include "app/checklist.h"

class QTreeWidget;
class QPushButton;

namespace kvr::app {

class TCFGLockForm : public QDialog {
    Q_OBJECT
public:
    explicit TCFGLockForm(QWidget* Parent = nullptr);

    // Where FormShow takes its rows from (the main window's project).
    std::function<std::vector<CheckListRow>()> RowSource;

    QTreeWidget* List = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* Event) override; // FormShow

private:
    void FillList(const std::vector<CheckListRow>& Rows);
};

} // namespace kvr::app
