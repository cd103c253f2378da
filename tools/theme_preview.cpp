// Shows one of each styled widget under res/skins/theme.qss and saves a picture of it:
//   theme_preview SKIN-FOLDER OUT.png
// Run under xvfb-run (or any display) so fonts and style render as on a desktop.
#include <cstdio>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QWidget* Card(const QString& title, QLayout* content) {
    auto* card = new QWidget;
    card->setProperty("role", QStringLiteral("card"));
    card->setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(14, 12, 14, 14);
    auto* label = new QLabel(title);
    label->setProperty("role", QStringLiteral("title"));
    layout->addWidget(label);
    layout->addLayout(content);
    return card;
}

QLabel* Icon(const QString& skins, const QString& name) {
    auto* label = new QLabel;
    label->setPixmap(QIcon(skins + name).pixmap(24, 24));
    label->setToolTip(name);
    return label;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: theme_preview SKIN-FOLDER OUT.png\n");
        return 1;
    }
    const QString skins = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    QDir::addSearchPath(QStringLiteral("skins"), skins);
    QFile sheet(skins + QStringLiteral("theme.qss"));
    if (!sheet.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "theme_preview: cannot read %s\n", qPrintable(sheet.fileName()));
        return 2;
    }
    app.setStyleSheet(QString::fromUtf8(sheet.readAll()));

    QWidget window;
    window.setWindowTitle(QStringLiteral("TALVORE"));
    auto* columns = new QHBoxLayout(&window);
    columns->setContentsMargins(18, 18, 18, 18);
    columns->setSpacing(16);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Performance: a section switch, segments, a slider, a combo box.
    auto* performance = new QVBoxLayout;
    auto* section = new QCheckBox(QStringLiteral("Lighting"));
    section->setProperty("role", QStringLiteral("section"));
    section->setChecked(true);
    performance->addWidget(section);
    auto* rates = new QHBoxLayout;
    auto* rateGroup = new QButtonGroup(&window);
    for (const char* rate : {"125 Hz", "250 Hz", "500 Hz", "1000 Hz"}) {
        auto* segment = new QRadioButton(QString::fromLatin1(rate));
        segment->setProperty("role", QStringLiteral("segment"));
        rateGroup->addButton(segment);
        rates->addWidget(segment);
    }
    rateGroup->buttons().at(3)->setChecked(true);
    rates->addStretch();
    performance->addLayout(rates);
    auto* brightness = new QSlider(Qt::Horizontal);
    brightness->setRange(0, 100);
    brightness->setValue(65);
    performance->addWidget(brightness);
    auto* mode = new QComboBox;
    mode->addItems({QStringLiteral("Breathing"), QStringLiteral("Steady"), QStringLiteral("Off")});
    performance->addWidget(mode);
    auto* hint = new QLabel(QStringLiteral("Changes are sent to the mouse at once."));
    hint->setProperty("role", QStringLiteral("hint"));
    performance->addWidget(hint);
    left->addWidget(Card(QStringLiteral("Performance"), performance));

    // Options and buttons.
    auto* options = new QGridLayout;
    auto* optionA = new QRadioButton(QStringLiteral("Left button"));
    optionA->setChecked(true);
    options->addWidget(optionA, 0, 0);
    options->addWidget(new QRadioButton(QStringLiteral("Right button")), 0, 1);
    auto* check = new QCheckBox(QStringLiteral("Repeat while held"));
    check->setChecked(true);
    options->addWidget(check, 1, 0);
    options->addWidget(new QCheckBox(QStringLiteral("Start with system")), 1, 1);
    auto* buttons = new QHBoxLayout;
    auto* apply = new QPushButton(QStringLiteral("Apply"));
    apply->setDefault(true);
    buttons->addWidget(apply);
    buttons->addWidget(new QPushButton(QStringLiteral("Reset")));
    auto* disabled = new QPushButton(QStringLiteral("Disabled"));
    disabled->setEnabled(false);
    buttons->addWidget(disabled);
    options->addLayout(buttons, 2, 0, 1, 2);
    left->addWidget(Card(QStringLiteral("Buttons"), options));

    // Battery and link indicators.
    auto* status = new QHBoxLayout;
    for (const char* name :
         {"link_wired.svg", "link_wireless.svg", "link_bluetooth.svg", "battery.svg",
          "charging_bolt.svg", "keyboard_key_action.png", "mouse.png", "macro_key_down.png",
          "macro_key_up.png", "check.svg", "minimise.svg", "close.svg"}) {
        status->addWidget(Icon(skins, QString::fromLatin1(name)));
    }
    status->addStretch();
    auto* statusColumn = new QVBoxLayout;
    statusColumn->addLayout(status);
    auto* battery = new QProgressBar;
    battery->setValue(72);
    statusColumn->addWidget(battery);
    left->addWidget(Card(QStringLiteral("Status"), statusColumn));
    left->addStretch();

    // Profiles: a list, a line edit, a stacked widget.
    auto* profiles = new QVBoxLayout;
    auto* list = new QListWidget;
    for (const char* name : {"Default", "Shooter", "Office", "Photo editing", "Travel", "Macro set",
                             "Left-handed", "Presentation"}) {
        list->addItem(QString::fromLatin1(name));
    }
    list->setCurrentRow(1);
    list->setFixedHeight(170);
    profiles->addWidget(list);
    auto* name = new QLineEdit(QStringLiteral("Shooter"));
    profiles->addWidget(name);
    auto* stack = new QStackedWidget;
    auto* page = new QLabel(QStringLiteral("Stacked page 1 of 2"));
    page->setProperty("role", QStringLiteral("hint"));
    stack->addWidget(page);
    profiles->addWidget(stack);
    right->addWidget(Card(QStringLiteral("Profiles"), profiles));

    // A menu as it shows from the tray.
    auto* menuColumn = new QVBoxLayout;
    auto* menu = new QMenu(&window);
    menu->addAction(QStringLiteral("Configuration"));
    menu->addAction(QStringLiteral("About"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Exit"));
    menu->setActiveAction(menu->actions().first());
    menu->setWindowFlags(Qt::Widget);  // drawn in place instead of as a popup
    menuColumn->addWidget(menu);
    right->addWidget(Card(QStringLiteral("Menu"), menuColumn));
    right->addStretch();

    window.resize(820, 600);
    window.show();
    name->setFocus();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "theme_preview: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
