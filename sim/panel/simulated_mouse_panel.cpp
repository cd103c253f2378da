#include "sim/panel/simulated_mouse_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "sim/hidapi/shared_mouse.h"
#include "sim/panel/panel_placement.h"
#include "sim/panel/transfer_text.h"
#include "sys/file_io.h"

namespace sim {

namespace {

constexpr int kHexBytesShown = 12;

// A small dot before each transfer: the theme's accent for accepted, its danger red for rejected.
// (The theme colours list items itself, so a coloured dot is what survives it.)
QIcon VerdictDot(QColor color) {
    QPixmap dot(10, 10);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1, 1, 8, 8));
    return QIcon(dot);
}

// Rules of the panel's own on top of the theme: smaller card headings, a fixed-width list.
const char* const kPanelSheet = R"(
QLabel[role="cardtitle"] { font-size: 10pt; font-weight: 600; color: #f3f6fa; }
QLabel[role="value"] { color: #e6eaf0; }
QLabel[role="buttonfunction"] { color: #e6eaf0; font-size: 8pt; }
QListWidget#transfers { font-family: monospace; font-size: 8pt; }
QListWidget#transfers::item { padding: 3px 6px; }
QPushButton { padding: 5px 12px; }
QWidget#card_trailing { background: transparent; }
)";

QWidget* Card(const QString& heading, QLayout* content, QWidget* trailing = nullptr) {
    auto* card = new QWidget;
    card->setProperty("role", QStringLiteral("card"));
    card->setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(12, 8, 12, 10);
    layout->setSpacing(6);
    auto* header = new QHBoxLayout;
    auto* label = new QLabel(heading);
    label->setProperty("role", QStringLiteral("cardtitle"));
    header->addWidget(label);
    header->addStretch(1);
    if (trailing != nullptr) {
        header->addWidget(trailing);
    }
    layout->addLayout(header);
    layout->addLayout(content);
    return card;
}

QLabel* Hint(const QString& text) {
    auto* label = new QLabel(text);
    label->setProperty("role", QStringLiteral("hint"));
    return label;
}

QLabel* Value(const QString& objectName) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setProperty("role", QStringLiteral("value"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QCheckBox* Switch(const QString& text, const QString& objectName) {
    auto* box = new QCheckBox(text);
    box->setObjectName(objectName);
    return box;
}

QPushButton* Button(const QString& text, const QString& objectName) {
    auto* button = new QPushButton(text);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

SimulatedMousePanel::SimulatedMousePanel(QWidget* parent) : QWidget(parent), mouse_(SharedMouse()) {
    setWindowTitle(QStringLiteral("Simulated TALVORE mouse"));
    setObjectName(QStringLiteral("simulated_mouse_panel"));
    setStyleSheet(QString::fromLatin1(kPanelSheet));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(10);
    auto* title = new QLabel(windowTitle());
    title->setProperty("role", QStringLiteral("title"));
    layout->addWidget(title);

    auto* controls = new QGridLayout;
    controls->setSpacing(10);
    controls->addWidget(BuildLinks(), 0, 0);
    controls->addWidget(BuildMouse(), 0, 1);
    controls->addWidget(BuildFaults(), 1, 0, 1, 2);
    controls->setColumnStretch(0, 1);
    controls->setColumnStretch(1, 1);
    layout->addLayout(controls);
    layout->addWidget(BuildHoldings());
    layout->addWidget(BuildTransfers(), 1);

    // Listener calls come from whichever thread moved the mouse; the widgets are only touched on
    // the panel's own thread.
    listenerId_ = AddSharedMouseListener(
        [this](Link link, uint16_t key, uint16_t value) {
            QMetaObject::invokeMethod(
                this,
                [this, link, key, value] {
                    ShowEvent(link, key, value);
                    SyncHoldings();
                    SyncTransfers();
                },
                Qt::QueuedConnection);
        },
        [this](Link, bool) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    SyncLinks();
                    SyncTransfers();
                },
                Qt::QueuedConnection);
        });

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        SyncLinks();
        SyncTransfers();
    });
    refreshTimer_->start();
    Refresh();
}

SimulatedMousePanel::~SimulatedMousePanel() {
    // Waits for a listener call running on another thread; calls it already queued die with us.
    RemoveSharedMouseListener(listenerId_);
}

QWidget* SimulatedMousePanel::BuildLinks() {
    cable_ = Switch(QStringLiteral("Cable plugged"), QStringLiteral("cable_switch"));
    receiver_ = Switch(QStringLiteral("Receiver plugged"), QStringLiteral("receiver_switch"));
    awake_ = Switch(QStringLiteral("Mouse awake"), QStringLiteral("awake_switch"));
    awake_->setToolTip(QStringLiteral("Whether the mouse answers behind the receiver"));
    bluetooth_ = Switch(QStringLiteral("Bluetooth connected"), QStringLiteral("bluetooth_switch"));

    connect(cable_, &QCheckBox::toggled, this, [this](bool on) { mouse_.SetCablePlugged(on); });
    connect(receiver_, &QCheckBox::toggled, this,
            [this](bool on) { mouse_.SetReceiverPlugged(on); });
    connect(awake_, &QCheckBox::toggled, this, [this](bool on) { mouse_.SetMouseAwake(on); });
    connect(bluetooth_, &QCheckBox::toggled, this,
            [this](bool on) { mouse_.SetBluetoothConnected(on); });

    auto* grid = new QVBoxLayout;
    grid->setSpacing(0);
    grid->addWidget(cable_);
    grid->addWidget(receiver_);
    auto* awakeRow = new QHBoxLayout;
    awakeRow->addSpacing(24);  // under the receiver: it only matters behind it
    awakeRow->addWidget(awake_);
    grid->addLayout(awakeRow);
    grid->addWidget(bluetooth_);
    grid->addStretch(1);
    return Card(QStringLiteral("Links"), grid);
}

QWidget* SimulatedMousePanel::BuildMouse() {
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(Hint(QStringLiteral("Press its button")));
    column->addLayout(BuildButtons());
    column->addSpacing(4);
    column->addWidget(Hint(QStringLiteral("Battery")));
    column->addLayout(BuildBattery());
    column->addStretch(1);
    return Card(QStringLiteral("Mouse"), column);
}

QLayout* SimulatedMousePanel::BuildButtons() {
    auto* dpi = Button(QStringLiteral("DPI"), QStringLiteral("dpi_button"));
    auto* rate = Button(QStringLiteral("Report rate"), QStringLiteral("rate_button"));
    dpi->setToolTip(QStringLiteral("Press the DPI button: the next stage in use"));
    rate->setToolTip(QStringLiteral("Press the report-rate button: 8, 4, 2, 1 ms in turn"));
    connect(dpi, &QPushButton::clicked, this, [this] { mouse_.PressDpiButton(); });
    connect(rate, &QPushButton::clicked, this, [this] { mouse_.PressReportRateButton(); });

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(dpi, 1);
    row->addWidget(rate, 1);
    return row;
}

QLayout* SimulatedMousePanel::BuildBattery() {
    batteryLevel_ = new QSlider(Qt::Horizontal);
    batteryLevel_->setObjectName(QStringLiteral("battery_level"));
    batteryLevel_->setRange(0, 100);
    // The mouse starts on battery, as full as TALVORE_SIM_BATTERY says.
    batteryLevel_->setValue(std::clamp(mouse_.BatteryLevel(), 0, 100));
    batteryLevel_->setTracking(false);  // send once the handle is let go, not on every step
    batteryText_ = new QLabel;
    batteryText_->setMinimumWidth(
        batteryText_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 4);
    batteryText_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    charging_ = Switch(QStringLiteral("Charging"), QStringLiteral("charging_switch"));
    charged_ = Switch(QStringLiteral("Charged"), QStringLiteral("charged_switch"));

    const auto showLevel = [this](int level) {
        batteryText_->setText(QStringLiteral("%1 %").arg(level));
    };
    showLevel(batteryLevel_->value());
    connect(batteryLevel_, &QSlider::sliderMoved, this, showLevel);
    connect(batteryLevel_, &QSlider::valueChanged, this, [this, showLevel](int level) {
        showLevel(level);
        ApplyBattery();
    });
    connect(charging_, &QCheckBox::toggled, this, [this] { ApplyBattery(); });
    connect(charged_, &QCheckBox::toggled, this, [this] { ApplyBattery(); });

    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(batteryLevel_, 1);
    levelRow->addWidget(batteryText_);
    auto* stateRow = new QHBoxLayout;
    stateRow->setSpacing(16);
    stateRow->addWidget(charging_);
    stateRow->addWidget(charged_);
    stateRow->addStretch(1);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addLayout(levelRow);
    column->addLayout(stateRow);
    return column;
}

QWidget* SimulatedMousePanel::BuildFaults() {
    ackModes_ = new QButtonGroup(this);
    auto* modes = new QHBoxLayout;
    modes->setSpacing(4);
    const struct {
        AckMode mode;
        const char* text;
        const char* name;
    } kModes[] = {{AckMode::Accept, "Accept", "ack_accept"},
                  {AckMode::Refuse, "Refuse", "ack_refuse"},
                  {AckMode::Silent, "Silent", "ack_silent"}};
    for (const auto& entry : kModes) {
        auto* segment = new QRadioButton(QString::fromLatin1(entry.text));
        segment->setObjectName(QString::fromLatin1(entry.name));
        segment->setProperty("role", QStringLiteral("segment"));
        segment->setChecked(entry.mode == AckMode::Accept);  // the mouse starts accepting
        ackModes_->addButton(segment, static_cast<int>(entry.mode));
        modes->addWidget(segment);
    }
    modes->addStretch(1);
    connect(ackModes_, &QButtonGroup::idClicked, this,
            [this](int id) { mouse_.SetAckMode(static_cast<AckMode>(id)); });

    auto* dropCable = Button(QStringLiteral("Cable"), QStringLiteral("drop_cable"));
    auto* dropReceiver = Button(QStringLiteral("Receiver"), QStringLiteral("drop_receiver"));
    dropCable->setToolTip(QStringLiteral("Drop the cable after the next transfer"));
    dropReceiver->setToolTip(QStringLiteral("Drop the receiver after the next transfer"));
    // The next transfer still goes through; the one after fails and takes the link down.
    connect(dropCable, &QPushButton::clicked, this,
            [this] { mouse_.DropLinkAfter(Link::Cable, 1); });
    connect(dropReceiver, &QPushButton::clicked, this,
            [this] { mouse_.DropLinkAfter(Link::Receiver, 1); });
    auto* drops = new QHBoxLayout;
    drops->setSpacing(6);
    drops->addWidget(dropCable);
    drops->addWidget(dropReceiver);
    drops->addStretch(1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(4);
    grid->addWidget(Hint(QStringLiteral("Answers over the receiver")), 0, 0);
    grid->addLayout(modes, 1, 0);
    grid->addWidget(Hint(QStringLiteral("Drop after the next transfer")), 0, 1);
    grid->addLayout(drops, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return Card(QStringLiteral("Faults"), grid);
}

QWidget* SimulatedMousePanel::BuildHoldings() {
    dpiStage_ = Value(QStringLiteral("held_dpi"));
    reportRate_ = Value(QStringLiteral("held_rate"));
    lighting_ = Value(QStringLiteral("held_lighting"));
    macros_ = Value(QStringLiteral("held_macros"));
    colors_ = Value(QStringLiteral("held_colors"));
    colors_->setTextFormat(Qt::RichText);
    lastEvent_ = Value(QStringLiteral("last_event"));
    lastEvent_->setText(QStringLiteral("none yet"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->addWidget(Hint(QStringLiteral("DPI")), 0, 0);
    grid->addWidget(dpiStage_, 0, 1);
    grid->addWidget(Hint(QStringLiteral("Report rate")), 0, 2);
    grid->addWidget(reportRate_, 0, 3);
    grid->addWidget(Hint(QStringLiteral("Lighting")), 1, 0);
    grid->addWidget(lighting_, 1, 1);
    grid->addWidget(Hint(QStringLiteral("Macros")), 1, 2);
    grid->addWidget(macros_, 1, 3);
    grid->addWidget(Hint(QStringLiteral("Colours")), 2, 0);
    grid->addWidget(colors_, 2, 1, 1, 3);
    grid->addWidget(Hint(QStringLiteral("Last event")), 3, 0);
    grid->addWidget(lastEvent_, 3, 1, 1, 3);
    grid->addWidget(Hint(QStringLiteral("Buttons")), 4, 0, Qt::AlignTop);
    // Each button's function in a fixed grid, six rows of three, so the card keeps its size.
    auto* buttons = new QGridLayout;
    buttons->setHorizontalSpacing(10);
    buttons->setVerticalSpacing(0);
    constexpr int kButtonRows = 6;
    for (int j = 0; j < kButtonCount; ++j) {
        auto* label = new QLabel;
        label->setObjectName(QStringLiteral("held_button_%1").arg(j + 1));
        label->setProperty("role", QStringLiteral("buttonfunction"));
        buttons_[static_cast<std::size_t>(j)] = label;
        buttons->addWidget(label, j % kButtonRows, j / kButtonRows);
    }
    grid->addLayout(buttons, 4, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return Card(QStringLiteral("What the mouse holds"), grid);
}

QWidget* SimulatedMousePanel::BuildTransfers() {
    transfers_ = new QListWidget;
    transfers_->setObjectName(QStringLiteral("transfers"));
    transfers_->setSelectionMode(QAbstractItemView::SingleSelection);
    transfers_->setWordWrap(true);
    transfers_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    transfers_->setMinimumHeight(100);
    transfers_->setIconSize(QSize(10, 10));
    acceptedDot_ = VerdictDot(QColor(0x2e, 0xc4, 0xdc));
    rejectedDot_ = VerdictDot(QColor(0xe5, 0x48, 0x4d));
    transferCount_ = Hint(QString());
    transferCount_->setObjectName(QStringLiteral("transfer_count"));
    auto* clear = Button(QStringLiteral("Clear"), QStringLiteral("clear_transfers"));
    connect(clear, &QPushButton::clicked, this, [this] { ClearTransfers(); });

    auto* trailing = new QWidget;
    trailing->setObjectName(QStringLiteral("card_trailing"));
    auto* row = new QHBoxLayout(trailing);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(transferCount_);
    row->addWidget(clear);

    auto* column = new QVBoxLayout;
    column->addWidget(transfers_, 1);
    QWidget* card = Card(QStringLiteral("Transfers received"), column, trailing);
    card->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    return card;
}

bool SimulatedMousePanel::ApplySkin(const QString& skinFolder) {
    const QString folder = QDir(skinFolder).absolutePath();
    // Only a regular file: a FIFO in its place would hold the demo up for ever.
    QByteArray sheet;
    if (ReadWholeFile(NativePath(QDir(folder).filePath(QStringLiteral("theme.qss"))), 8 << 20,
                      sheet) != FileError::None) {
        return false;
    }
    // The sheet names its images "skins:<file>".
    const QString prefix = QStringLiteral("skins");
    if (!QDir::searchPaths(prefix).contains(folder)) {
        QDir::addSearchPath(prefix, folder);
    }
    setStyleSheet(QString::fromUtf8(sheet) + QString::fromLatin1(kPanelSheet));
    return true;
}

void SimulatedMousePanel::Refresh() {
    SyncLinks();
    SyncHoldings();
    SyncTransfers();
}

void SimulatedMousePanel::SyncLinks() {
    const std::pair<QCheckBox*, bool> states[] = {{cable_, mouse_.CablePlugged()},
                                                  {receiver_, mouse_.ReceiverPlugged()},
                                                  {awake_, mouse_.MouseAwake()},
                                                  {bluetooth_, mouse_.BluetoothConnected()}};
    for (const auto& [box, up] : states) {
        // Showing the mouse's state must not send it back to the mouse.
        const QSignalBlocker blocker(box);
        box->setChecked(up);
    }
}

void SimulatedMousePanel::SyncHoldings() {
    const MouseSettings settings = mouse_.Settings();
    dpiStage_->setText(DpiStageText(settings.dpi));
    reportRate_->setText(ReportRateText(settings.rateCode));
    lighting_->setText(QStringLiteral("mode %1").arg(settings.lighting.mode));
    macros_->setText(QString::number(settings.macros.size()));
    colors_->setText(ColorsText(settings.dpi, settings.lighting.color));
    for (std::size_t j = 0; j < buttons_.size(); ++j) {
        buttons_[j]->setText(
            QStringLiteral("%1  %2").arg(j + 1).arg(ButtonFunctionText(settings.buttons[j])));
    }
}

void SimulatedMousePanel::SyncTransfers() {
    const std::vector<TransferLogEntry> log = mouse_.Log();
    if (log.size() < transfersSeen_) {
        transfersSeen_ = 0;  // cleared elsewhere: what is there now is all new
    }
    if (log.size() == transfersSeen_) {
        return;
    }
    const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    // Only the newest lines can stay in the list; older ones are not worth formatting.
    const std::size_t first =
        std::max(transfersSeen_,
                 log.size() > kMaxTransferLines ? log.size() - kMaxTransferLines : std::size_t{0});
    QScrollBar* scroll = transfers_->verticalScrollBar();
    const bool atBottom = scroll->value() == scroll->maximum();
    for (std::size_t i = first; i < log.size(); ++i) {
        const TransferLogEntry& entry = log[i];
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  %2\n%3")
                .arg(now, TransferVerdict(entry), ShortHex(entry.bytes, kHexBytesShown)));
        item->setToolTip(ShortHex(entry.bytes, static_cast<int>(entry.bytes.size())));
        item->setIcon(entry.accepted ? acceptedDot_ : rejectedDot_);
        transfers_->addItem(item);
    }
    while (transfers_->count() > kMaxTransferLines) {
        delete transfers_->takeItem(0);
    }
    transfersSeen_ = log.size();
    transferCount_->setText(QStringLiteral("%1 shown").arg(transfers_->count()));
    if (atBottom) {
        transfers_->scrollToBottom();
    }
    SyncHoldings();
}

void SimulatedMousePanel::ApplyBattery() {
    // SetBattery announces the new status at once, as the mouse does when its power changes.
    mouse_.SetBattery(batteryLevel_->value(), charging_->isChecked(), charged_->isChecked());
}

void SimulatedMousePanel::ClearTransfers() {
    mouse_.ClearLog();
    transfers_->clear();
    transfersSeen_ = 0;
    transferCount_->setText(QStringLiteral("0 shown"));
}

void SimulatedMousePanel::ShowEvent(Link link, uint16_t key, uint16_t value) {
    lastEvent_->setText(EventText(link, key, value));
}

SimulatedMousePanel* ShowSimulatedMousePanel(QWidget* besides, const QString& skinFolder) {
    auto* panel = new SimulatedMousePanel(besides);
    panel->setWindowFlag(Qt::Window);
    if (!skinFolder.isEmpty()) {
        panel->ApplySkin(skinFolder);
    }
    panel->adjustSize();
    if (besides != nullptr) {
        if (const QScreen* screen = besides->screen()) {
            panel->move(PlaceBeside(besides->frameGeometry(), panel->frameGeometry().size(),
                                    screen->availableGeometry()));
        }
    }
    panel->show();
    return panel;
}

namespace {

// Opens the panel beside a window once that window's first frame is out.
class PanelAfterFirstFrame final : public QObject {
public:
    PanelAfterFirstFrame(QWidget* window, QString skinFolder)
        : QObject(window), window_(window), skinFolder_(std::move(skinFolder)) {
        window_->installEventFilter(this);
    }

    void OpenSoon() {
        if (opening_) {
            return;
        }
        opening_ = true;
        window_->removeEventFilter(this);
        // After the paint the frame is still to be handed to the display.
        QMetaObject::invokeMethod(
            this,
            [this] {
                ShowSimulatedMousePanel(window_, skinFolder_);
                deleteLater();
            },
            Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            OpenSoon();
        }
        return false;
    }

private:
    QWidget* window_;
    QString skinFolder_;
    bool opening_ = false;
};

}  // namespace

void ShowSimulatedMousePanelAfterFirstFrame(QWidget* besides, const QString& skinFolder,
                                            bool waitForWindow) {
    auto* waiter = new PanelAfterFirstFrame(besides, skinFolder);
    QMetaObject::invokeMethod(
        waiter,
        [waiter, besides, waitForWindow] {
            if (!besides->isVisible() && !waitForWindow) {
                waiter->OpenSoon();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace sim
