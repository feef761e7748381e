#pragma once
// TWatchForm, "Watches": the logic states of one running device as a list, a protocol and a
// graph. A thin window over WatchController; it owns its client and its log.

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "diagnostics/kvrlog.h"
#include "service/watch/watchcontroller.h"

class QCheckBox;
class QLabel;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace kvr::service {

class WatchGraphView;

// What the program provides: the connection dialog, and the logic-source window, which lies in a
// layer above this one.
struct TWatchFormServices {
    std::function<int(Kvrdata_ns::TDeviceAddr& Addr)> ConnectionDialog; // 1 is OK
    TWatchServices Watch;
    std::function<void(class TWatchForm& Form)> Activated;  // prepares the logic-source window
    std::function<void(class TWatchForm& Form)> AddClicked; // shows it for an addition
    std::function<bool(const QMimeData* Data)> TakesDrag;   // a drag from its tree
    std::function<bool()> ShowsWatchedDevice;               // its tree shows the watched device
    std::function<void(class TWatchForm& Form)> Dropped;    // runs its Assign
};

class TWatchForm : public QWidget {
public:
    TWatchForm(std::unique_ptr<TKVRCommunicationClient> Client, TWatchFormServices Services, QWidget* Owner);
    ~TWatchForm() override;

    WatchController& Controller() { return *FController; }
    // Device ID of the watched address; -1 before a connection was chosen.
    std::int64_t WatchedDeviceID() const;
    void AddWatch(std::int32_t LogicID, std::int32_t SecondaryIndex);
    const TKVRLog& Log() const { return FLog; }

    QTreeWidget* WatchView = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* DelButton = nullptr;
    QPushButton* Button2 = nullptr; // "Reconnect"
    QPushButton* Button3 = nullptr; // "Close"
    QTabWidget* PageControl1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    WatchGraphView* Graph = nullptr;
    QCheckBox* DrawGraph = nullptr;
    QRadioButton* RadioButton1 = nullptr; // "Scroll per event"
    QRadioButton* RadioButton2 = nullptr; // "Scroll every"
    QSpinBox* Edit1 = nullptr;
    QPushButton* Button1 = nullptr; // "Clear graph"
    std::array<QLabel*, 3> StatusPanels{};
    QTimer* GraphTimer = nullptr;
    QTimer* UDPTimer = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    void FillRows();
    void ShowStates();
    void RemoveClicked();
    void CloseClicked();
    void ClearGraph();
    void UpdateGraph();
    void SetScrollMode();
    // Runs a call that may let messages through; a deletion asked for meanwhile waits for its end.
    template <class F>
    void WhileBusy(F&& Call);

    std::unique_ptr<TKVRCommunicationClient> FClient;
    TWatchFormServices FServices;
    std::unique_ptr<WatchController> FController;
    TKVRLog FLog;
    std::shared_ptr<TKVRLogView> FLogView;
    bool FShown = false;
    bool FClosing = false;
    bool FCancelled = false;
    bool FConnected = false;
    int FBusy = 0;
    bool FDeleteWhenIdle = false;
};

} // namespace kvr::service
