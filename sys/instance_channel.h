// The single-instance socket of the running program, and the commands talvorectl hands to it.
//
// A later start of the program sends the line "show\n" and goes. talvorectl sends the line
// "request\n" and one frame with its request; the program answers with a frame "accepted" once
// it has decided to carry the request out, then with a frame holding the reply. A frame is a
// 32-bit big-endian length and that many bytes of CBOR. The request carries a deadline on the
// steady clock, which all processes of the machine share: the program never begins a request
// whose deadline has passed, so a client that gave up waiting for the acceptance knows that
// nothing was done. Both ends make sure the other is of the same user.
#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

inline constexpr char kInstanceName[] = "Corvane TALVORE Mouse";
// The demo runs under its own name, beside a real program.
inline constexpr char kDemoInstanceName[] = "Corvane TALVORE Mouse (simulated)";

// A second start sends "show", or "show <activation token>", as one line; talvorectl sends
// "request" and a frame.
inline constexpr char kShowRequest[] = "show";
inline constexpr char kCommandRequestLine[] = "request\n";
inline constexpr qsizetype kMaxFrameBytes = 1 << 20;

// Where the socket lies: in the user's runtime folder when that is a folder of this user closed
// to others (anyone could leave a socket in an open one), else under an abstract name that holds
// the instance name and the user id, so two users never meet.
struct InstanceAddress {
    QString name;  // the socket's path, or its abstract name
    bool abstractNamespace = false;
};
InstanceAddress InstanceAddressFor(const QString& instanceName);

struct InstanceRequest {
    QString command;        // e.g. "import"
    QByteArrayList args;    // the arguments as argv holds them, file names made absolute
    QByteArray dataFolder;  // the data folder the command means
    qint64 deadlineNs = 0;  // steady clock: the program must not begin the request later

    bool Expired() const;
};

struct InstanceReply {
    int exitCode = 2;
    QStringList out;  // lines for the standard output
    QString error;    // for the error stream (without the program's name); empty for none
};

// The steady clock in nanoseconds, as deadlines are given.
qint64 SteadyNowNs();

// A frame around a payload.
QByteArray Frame(const QByteArray& payload);
enum class FrameState { Incomplete, Whole, Bad };
// Takes the first whole frame off the front of `buffer` into `payload`. Bad: a length out of
// bounds (not one of ours).
FrameState TakeFrame(QByteArray& buffer, QByteArray& payload);

QByteArray EncodeRequest(const InstanceRequest& request);
std::optional<InstanceRequest> DecodeRequest(const QByteArray& payload);

// What the program sends back: the acceptance, then the reply (or the reply alone when it
// refuses).
struct ProgramMessage {
    bool accepted = false;
    InstanceReply reply;
};
QByteArray EncodeAccepted();
QByteArray EncodeReply(const InstanceReply& reply);
std::optional<ProgramMessage> DecodeProgramMessage(const QByteArray& payload);

// Whether the process at the other end of a connected local socket belongs to this user.
bool PeerIsThisUser(qintptr socketDescriptor);

enum class HandOver {
    Answered,      // the reply is in `reply`
    NotListening,  // nobody of this user listens at the address
    NotAccepted,   // nothing accepted before the deadline: nothing was done
    Lost,          // accepted, but the program went away before it replied
};
// Sends the request and waits for the acceptance until a little after its deadline, then for the
// reply for as long as the program works on it.
HandOver SendInstanceRequest(const InstanceAddress& address, const InstanceRequest& request,
                             InstanceReply& reply);
