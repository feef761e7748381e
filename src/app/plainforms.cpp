#include "app/plainforms.h"

namespace kvr::app {

TPlainForm::TPlainForm(const char* ClassName, const char* Caption, QWidget* Parent)
    : QDialog(Parent), FClassName(ClassName)
{
    setObjectName(QString::fromLatin1(ClassName + 1));
    setWindowTitle(QString::fromLatin1(Caption));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(400, 300);
}

TPlainForm* MakePlainForm(const PlainFormSpec& Spec, QWidget* Parent)
{
    return new TPlainForm(Spec.ClassName, Spec.Caption, Parent);
}

} // namespace kvr::app
