#pragma once
// "KeyImg": the selected key drawn as a key cap, sized by its width class.

#include "console/keypreview.h"

#include <QWidget>

namespace kvr::console {

class KeyPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit KeyPreviewImage(QWidget* parent);
    // Draws the key of the record on a module type; a key without a layout leaves the picture.
    // Returns the layout used, if any.
    std::optional<KeyPreviewLayout> ShowKey(int moduleType, const model::TKeyRecord& record);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int type_ = 0;
    model::TKeyRecord record_{};
    bool drawn_ = false;
    // The fill the last drawing left, kept for a lamp colour that leaves it.
    gfx::Color brush_ = gfx::clWhite;
};

} // namespace kvr::console
