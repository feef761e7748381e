#include "platform/text1252.h"

#include "gfx/text1252.h"

#include <QLineEdit>
#include <QValidator>

namespace kvr::platform {

namespace {

class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& Input, int&) const override { return gfx::holdsInCp1252(Input) ? Acceptable : Invalid; }
};

} // namespace

QString fromCp1252(const std::string& text)
{
    return gfx::fromCp1252(text);
}

std::string toCp1252(const QString& text)
{
    return gfx::toCp1252(text);
}

void RefuseBeyondCp1252(QLineEdit* Edit)
{
    if (Edit != nullptr && Edit->validator() == nullptr)
        Edit->setValidator(new Cp1252Validator(Edit));
}

} // namespace kvr::platform
