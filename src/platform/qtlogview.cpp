#include "platform/qtlogview.h"

#include <QPlainTextEdit>
#include <QStringList>

#include "platform/text1252.h"

namespace kvr::platform {

QtLogView::QtLogView(QPlainTextEdit* Memo) : Memo(Memo) {}

void QtLogView::AppendLine(const std::string& Line)
{
    if (Memo)
        Memo->appendPlainText(fromCp1252(Line));
}

void QtLogView::SetLines(const std::vector<std::string>& Lines)
{
    if (!Memo)
        return;
    QStringList text;
    text.reserve(static_cast<qsizetype>(Lines.size()));
    for (const std::string& line : Lines)
        text.push_back(fromCp1252(line));
    Memo->setPlainText(text.join('\n'));
}

bool QtLogView::IsAlive() const
{
    return !Memo.isNull();
}

} // namespace kvr::platform
