#pragma once
// The read-only text windows of the maintenance tools: "Courier New", no word wrap.

#include <QPlainTextEdit>

namespace kvr::service {

inline QPlainTextEdit* NewCourierMemo(QWidget* Parent, const char* Name)
{
    auto* memo = new QPlainTextEdit(Parent);
    memo->setObjectName(Name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono("Courier New");
    mono.setStyleHint(QFont::Monospace);
    memo->setFont(mono);
    return memo;
}

} // namespace kvr::service
