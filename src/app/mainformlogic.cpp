// The main window's side of the Logic System page: the page on its panel, shown for the logic
// nodes of the project tree and hidden with every other page. The rules live in src/editors.
#include <QGridLayout>

#include "app/mainform.h"
#include "editors/logic/logicpagewidget.h"

namespace kvr::app {

void TCX4AppForm::BuildLogicPage()
{
    auto* page = findChild<QWidget*>("LogicPanel");
    if (!page)
        return;
    LogicPage = new editors::LogicPageWidget(*this, page);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LogicPage, 0, 0);
    LogicPage->hide();
}

void TCX4AppForm::DestroyLogicPage()
{
    // The page unregisters from the source windows while this window still serves them.
    delete LogicPage;
    LogicPage = nullptr;
}

void TCX4AppForm::ShowLogicPage(int Kind)
{
    if (LogicPage && Kind >= editors::lkLogicSystem && Kind <= editors::lkGPORouting)
        LogicPage->ShowLogicPage(Kind);
}

void TCX4AppForm::HideLogicPage()
{
    if (LogicPage)
        LogicPage->HideLogicPage();
}

} // namespace kvr::app
