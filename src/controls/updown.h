#pragma once
// Up and down arrows that step a number shown in an associated edit field, between two ends.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kvr::controls {

class TUpDown : public QWidget {
public:
    TUpDown(QLineEdit* Associate, int Min, int Max, QWidget* Parent = nullptr);
    int Position() const { return FPosition; }
    QLineEdit* AssociatedField() const { return Associate; }
    // Clamped to the ends; the associated field shows the position.
    void SetPosition(int Value);
    void StepBy(int Steps);

private:
    QLineEdit* Associate;
    int FMin, FMax, FPosition;
    QToolButton* Up;
    QToolButton* Down;
    void changeEvent(QEvent* Event) override;
};

} // namespace kvr::controls
