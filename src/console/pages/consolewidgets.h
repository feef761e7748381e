#pragma once
// The drawn controls of the console page: the console picture, the module palette and the
// selected module's picture. They forward the user's presses, moves and drags to the page
// controller and paint through the canvas.

#include <QListWidget>
#include <QWidget>

#include <functional>

class QMimeData;

namespace kvr::console {

class ConsolePageController;
struct ConsoleEditorState;

// Drag data of a module: the palette item's type, or -1 for a module moved on the picture.
inline constexpr const char* kModuleMimeType = "application/x-kvr-console-module";
QMimeData* MakeModuleDrag(int paletteType);

class ConsoleImage : public QWidget {
    Q_OBJECT
public:
    ConsoleImage(ConsolePageController& page, QWidget* parent);
    QSize sizeHint() const override { return {468, 173}; }

    // After every change the page redraws the picture and the panels.
    std::function<void()> Changed;
    // A right press opens the popup at this global point.
    std::function<void(const QPoint&)> PopupRequested;
    // The module type of the palette's selected item, -1 for none.
    std::function<int()> PaletteSelection;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ConsolePageController& page_;
    QPoint pressAt_;
    bool mayDrag_ = false;
};

class ModulePaletteView : public QListWidget {
    Q_OBJECT
public:
    ModulePaletteView(ConsolePageController& page, QWidget* parent);
    std::function<void()> Changed;
    // The module type of the selected item, -1 for none.
    int SelectedType() const;

protected:
    // The face pictures are drawn when the palette is first shown, not with the main window.
    void showEvent(QShowEvent* event) override;
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ConsolePageController& page_;
    bool pictures_ = false;
};

// The selected module large, at the scale its group box allows. The picture follows every
// resize of its group box: the box settles only after the panels beside it were laid out.
class ModuleImage : public QWidget {
    Q_OBJECT
public:
    ModuleImage(ConsolePageController& page, ConsoleEditorState& state, QWidget* groupBox);
    std::function<void()> Changed;
    // Sizes and places the picture in its group box for the selected module's type.
    void Fit(QWidget& groupBox);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int ElementAt(const QPoint& at) const;

    ConsolePageController& page_;
    ConsoleEditorState& state_;
    float scale_ = 0;
};

} // namespace kvr::console
