#pragma once
// A horizontal gauge bar with a foreground and a background colour, a maximum and a progress
// value, and the percentage written across it.

#include <QWidget>

#include <cstdint>

namespace kvr::app {

class TCGauge : public QWidget {
    Q_OBJECT
public:
    explicit TCGauge(QWidget* Parent = nullptr);

    // Colours are Windows colour values (0x00BBGGRR).
    void SetForeColor(std::uint32_t Color);
    void SetBackColor(std::uint32_t Color);
    void SetMaxValue(int Value);
    void SetProgress(int Value);
    std::uint32_t ForeColor() const { return FForeColor; }
    std::uint32_t BackColor() const { return FBackColor; }
    int MaxValue() const { return FMaxValue; }
    int Progress() const { return FProgress; }
    // Whole percent shown, 0 when the maximum is not above 0; may pass 100.
    int Percent() const;

    static QColor ToQColor(std::uint32_t WindowsColor);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    std::uint32_t FForeColor = 0x000000;
    std::uint32_t FBackColor = 0xFFFFFF;
    int FMaxValue = 100;
    int FProgress = 0;
};

} // namespace kvr::app
