#pragma once
// The about box "Information": title, version and build stamp, contact data, support mail and
// web page. It is also where the program's version is read from.

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace kvr::app {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // MS: major << 16 | minor, LS: release << 16 | build; both 0 without a version.
    explicit TAboutForm(QWidget* Parent = nullptr, std::uint32_t FileVersionMS = DefaultMS(),
                        std::uint32_t FileVersionLS = DefaultLS());

    std::uint32_t FFileVersionMS = 0;
    std::uint32_t FFileVersionLS = 0;

    QLabel* Label8 = nullptr;  // title
    QLabel* Label9 = nullptr;  // version
    QLabel* Label6 = nullptr;  // build stamp
    QLabel* Label11 = nullptr; // support mail
    QLabel* Label13 = nullptr; // web page
    QPushButton* Button1 = nullptr;

    // The program's version constants.
    static std::uint32_t DefaultMS();
    static std::uint32_t DefaultLS();

    static constexpr const char* SupportAddress = "support@kvr-console.invalid";
    static constexpr const char* WebAddress = "https://kvr-console.invalid/";

public slots:
    void Label11Click();
    void Label13Click();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

} // namespace kvr::app
