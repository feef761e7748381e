#pragma once
// The controls of "Key Options", filled from the key options view. Their change handlers, which
// write the record, belong to the key editor's option controls.

#include "console/keyoptions.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace kvr::console {

class KeyOptionsPanel : public QWidget {
    Q_OBJECT
public:
    explicit KeyOptionsPanel(QWidget* parent);
    void Show(const KeyOptionsView& view);

    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QLabel* Label21 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QLabel* Label22 = nullptr;
    QSpinBox* UpDown3 = nullptr;
    std::array<QCheckBox*, 5> Options{}; // CheckBox8, 9, 10, 27, 28
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QLabel* Panel21 = nullptr;
    QLabel* Panel22 = nullptr;
    QWidget* TalkPanel = nullptr;
    QComboBox* KeyTalkSource = nullptr;
    QComboBox* KeyTalkDest = nullptr;
    QWidget* ResourceDest = nullptr;
    QComboBox* ResDestBox = nullptr;
    QWidget* RotEncSetPanel = nullptr;
    std::array<QComboBox*, 5> EncBoxes{};
    QWidget* EF_AccPanel = nullptr;
    QComboBox* EF_AccBox = nullptr;
    QWidget* DirectInputSelectPanel = nullptr;
    QComboBox* DirectInputSelectBox = nullptr;
    QTreeWidget* ListView1 = nullptr; // UserDefPanel
};

} // namespace kvr::console
