// The demo's control panel for the shared simulated mouse: plug and unplug its links, press its
// buttons, set its battery, inject faults, and watch what it holds and the transfers it received.
#pragma once

#include <array>

#include <QIcon>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>

#include "sim/simulated_mouse.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLayout;
class QListWidget;
class QPushButton;
class QSlider;
class QTimer;

namespace sim {

class SimulatedMousePanel : public QWidget {
    Q_OBJECT
public:
    // The transfer list keeps this many lines, dropping the oldest.
    static constexpr int kMaxTransferLines = 200;
    static constexpr int kRefreshMs = 200;

    explicit SimulatedMousePanel(QWidget* parent = nullptr);
    ~SimulatedMousePanel() override;

    SimulatedMousePanel(const SimulatedMousePanel&) = delete;
    SimulatedMousePanel& operator=(const SimulatedMousePanel&) = delete;

    // Styles the panel with theme.qss from `skinFolder`; false when the sheet cannot be read.
    bool ApplySkin(const QString& skinFolder);

    // Brings the switches, the read-out and the transfer list up to date with the mouse at once.
    void Refresh();

private:
    QWidget* BuildLinks();
    QWidget* BuildMouse();
    QLayout* BuildButtons();
    QLayout* BuildBattery();
    QWidget* BuildFaults();
    QWidget* BuildHoldings();
    QWidget* BuildTransfers();

    void SyncLinks();
    void SyncHoldings();
    void SyncTransfers();
    void ApplyBattery();
    void ClearTransfers();
    void ShowEvent(Link link, uint16_t key, uint16_t value);

    SimulatedMouse& mouse_;
    int listenerId_ = 0;
    std::size_t transfersSeen_ = 0;  // log entries of the mouse already listed

    QCheckBox* cable_ = nullptr;
    QCheckBox* receiver_ = nullptr;
    QCheckBox* awake_ = nullptr;
    QCheckBox* bluetooth_ = nullptr;
    QSlider* batteryLevel_ = nullptr;
    QLabel* batteryText_ = nullptr;
    QCheckBox* charging_ = nullptr;
    QCheckBox* charged_ = nullptr;
    QButtonGroup* ackModes_ = nullptr;
    QLabel* dpiStage_ = nullptr;
    QLabel* reportRate_ = nullptr;
    QLabel* lighting_ = nullptr;
    QLabel* macros_ = nullptr;
    QLabel* colors_ = nullptr;
    std::array<QLabel*, kButtonCount> buttons_{};
    QLabel* lastEvent_ = nullptr;
    QListWidget* transfers_ = nullptr;
    QLabel* transferCount_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QIcon acceptedDot_;
    QIcon rejectedDot_;
};

// Opens the panel as a window of its own beside `besides` (the program's main window, already
// shown so that its place is known), owned by it and styled from `skinFolder` when one is given.
// Returns the panel, already shown.
SimulatedMousePanel* ShowSimulatedMousePanel(QWidget* besides, const QString& skinFolder = {});

// The same, once `besides` has drawn its first frame, so that the program's window comes up
// first. A window still hidden when the messages queued so far have run (no mouse connected)
// holds nothing back: the panel opens then, unless `waitForWindow` (a program started in the
// tray), which waits for the window's first frame whenever that comes.
void ShowSimulatedMousePanelAfterFirstFrame(QWidget* besides, const QString& skinFolder = {},
                                            bool waitForWindow = false);

}  // namespace sim
