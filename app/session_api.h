// The running program on the session bus: it owns org.talvore.Talvore (the demo owns
// org.talvore.Talvore.Demo, so it can run beside the real program and a script never switches the
// simulated mouse by mistake) and exports /org/talvore/Talvore with the interface
// org.talvore.Talvore1, described in dist/org.talvore.Talvore1.xml.
//
// The properties are a snapshot of the program's state, taken again whenever the main window
// notes that something may have changed (coalesced into one look per turn of the event loop);
// each change is announced with PropertiesChanged. The methods do what the page's own controls
// do, through the same operations talvorectl's requests use, on the UI thread.
#pragma once

#include <functional>
#include <memory>

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

inline constexpr char kSessionApiName[] = "org.talvore.Talvore";
inline constexpr char kDemoSessionApiName[] = "org.talvore.Talvore.Demo";
inline constexpr char kSessionApiPath[] = "/org/talvore/Talvore";
inline constexpr char kSessionApiInterface[] = "org.talvore.Talvore1";

// What the properties show.
struct SessionApiState {
    QStringList profiles;  // names in list order
    QString currentProfile;
    int batteryLevel = -1;  // -1: not known
    bool charging = false;
    bool connected = false;
    QStringList links;  // "cable", "receiver", "bluetooth"

    bool operator==(const SessionApiState&) const = default;
};

// What the program does for the methods.
class SessionApiBackend {
public:
    struct Outcome {
        bool done = false;
        QString value;  // done: the result (a stored name)
        QString error;  // not done: the D-Bus error name (org.talvore.Talvore1.Error.*)
        QString message;
    };
    virtual ~SessionApiBackend() = default;
    virtual SessionApiState State() = 0;
    virtual Outcome SelectProfile(const QString& name) = 0;
    virtual Outcome Apply() = 0;
    virtual Outcome ImportProfile(const QString& path) = 0;
};

class SessionApi final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.talvore.Talvore1")
    Q_PROPERTY(QStringList Profiles READ Profiles)
    Q_PROPERTY(QString CurrentProfile READ CurrentProfile)
    Q_PROPERTY(int BatteryLevel READ BatteryLevel)
    Q_PROPERTY(bool Charging READ Charging)
    Q_PROPERTY(bool Connected READ Connected)
    Q_PROPERTY(QStringList Links READ Links)

public:
    SessionApi(SessionApiBackend& backend, QDBusConnection bus, QString serviceName);
    ~SessionApi() override;

    // Whether the name is ours and the object exported (no session bus, or another program
    // holding the name: the program runs on without its API).
    bool Published() const { return published_; }

    // Something may have changed: the state is looked at again once the event loop comes round.
    void NoteChange();
    // Looks at the state now and announces what changed.
    void Refresh();

    QStringList Profiles() const { return state_.profiles; }
    QString CurrentProfile() const { return state_.currentProfile; }
    int BatteryLevel() const { return state_.batteryLevel; }
    bool Charging() const { return state_.charging; }
    bool Connected() const { return state_.connected; }
    QStringList Links() const { return state_.links; }

public Q_SLOTS:
    void SelectProfile(const QString& name);
    void Apply();
    QString ImportProfile(const QString& path);

private:
    // Runs a method's work, or answers the caller with its error; the state is looked at again
    // before the reply so a caller that reads a property next sees the change.
    QString Answer(const std::function<SessionApiBackend::Outcome()>& work);

    SessionApiBackend& backend_;
    QDBusConnection bus_;
    QString serviceName_;
    bool published_ = false;
    bool refreshQueued_ = false;
    SessionApiState state_;
};
