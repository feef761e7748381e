#pragma once
// The controls of "Key Options", filled from the key options view. Every control the user
// changes runs its key editor handler, which writes the selected key at once; then the page
// shows the options again.

#include "console/keyeditor.h"
#include "console/keyoptions.h"
#include "console/pages/keysourcepicker.h"

#include <QLabel>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QMenu;
class QMimeData;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace kvr::console {

class KeyPreviewImage;

// A panel that shows a source and takes drops from the source windows, anywhere over it.
class SourceDropPanel : public QLabel {
    Q_OBJECT
public:
    SourceDropPanel(const char* name, QWidget* parent);
    std::function<bool(const QMimeData*)> Accepts; // the kinds of drag it takes
    std::function<void(const QMimeData*)> Dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Answer(QEvent* event);
};

// A colour field beside the preview: a lamp colour, or the picture of "no colour".
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    // An invalid colour draws the "no colour" picture.
    ColourSwatch(const char* name, std::optional<std::uint32_t> colour, QWidget* parent);
    void SetColour(std::uint32_t colour);
    std::function<void()> Clicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::optional<std::uint32_t> colour_;
};

class KeyOptionsPanel : public QWidget {
    Q_OBJECT
public:
    explicit KeyOptionsPanel(QWidget* parent);
    void Show(const KeyOptionsView& view);
    const KeyOptionsView& Shown() const { return shown_; }
    // The lamp element of the Central Overbridge ("Special"): its "Select..." button and panel
    // pick and take the element's logic source.
    void ConnectLampElement(QPushButton& select, SourceDropPanel& panel);
    // The selected row of the lamp-source list while it shows; -1 otherwise.
    int SelectedLampRow() const;
    // "Label" becomes the window's focus when it can take it.
    void FocusLabel();

    // The key editor on the current device (none without one), and what runs after it wrote.
    std::function<std::optional<KeyEditor>()> Editor;
    std::function<void()> Changed;
    // The source windows; null until the main window has them.
    KeySourcePicker* Picker = nullptr;

    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit8 = nullptr;
    std::array<ColourSwatch*, kColourFields> ColourFields{}; // Shape1-4, Image2, Shape5-7, Image3
    QWidget* Panel4 = nullptr;
    KeyPreviewImage* KeyImg = nullptr;
    ColourSwatch* Shape11 = nullptr;
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
    QWidget* UserDefPanel = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QMenu* LampPopup = nullptr;
    QAction* Yelow1 = nullptr;
    QAction* Red1 = nullptr;
    QAction* Green1 = nullptr;
    QAction* UDLampSource = nullptr;

private:
    void BuildColours(QFormLayout& form);
    void BuildLampSources(QFormLayout& form);
    void Connect();
    // Runs a handler of the key editor, shows its warning and has the options shown again.
    void Edit(const std::function<void(KeyEditor&)>& handler);
    void Pick(SourceWindow window, int kind, std::uint16_t stored);

    KeyOptionsView shown_;
};

} // namespace kvr::console
