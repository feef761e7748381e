#pragma once
// The Output Routing page: every physical output with its source, mute logics and CS-Routing,
// over the OutputRoutingPage rules.

#include <QWidget>

#include <array>

#include "editors/audio/outputrouting.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTreeWidget;

namespace kvr::editors {

class TOutputRoutingPage : public QWidget {
public:
    TOutputRoutingPage(EditorHost& Host, QWidget* Parent);

    OutputRoutingPage& Rules() { return FPage; }
    void FillOutputRouting() { FPage.FillOutputRouting(); }

    QTreeWidget* ListView12 = nullptr;
    QPushButton* Button42 = nullptr; // "Assign"
    QPushButton* Button43 = nullptr; // "Clear All"
    QGroupBox* GroupBox36 = nullptr; // "Mute Logic"
    std::array<QCheckBox*, kRoutingMuteLogics> MuteBoxes{}; // CheckBox21 to CheckBox25
    QGroupBox* GroupBox37 = nullptr; // "CS-Routing"
    QCheckBox* CheckBox26 = nullptr; // "Enable"

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Show();

    OutputRoutingPage FPage;
    std::vector<RoutingRow> FShownRows;
};

} // namespace kvr::editors
