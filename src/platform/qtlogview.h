#pragma once
// A log component's lines shown in a text widget; the view drops out when the widget is gone.

#include <QPointer>

#include "diagnostics/kvrlog.h"

class QPlainTextEdit;

namespace kvr::platform {

class QtLogView : public TKVRLogView {
public:
    explicit QtLogView(QPlainTextEdit* Memo);
    void AppendLine(const std::string& Line) override;
    void SetLines(const std::vector<std::string>& Lines) override;
    bool IsAlive() const override;

private:
    QPointer<QPlainTextEdit> Memo;
};

} // namespace kvr::platform
