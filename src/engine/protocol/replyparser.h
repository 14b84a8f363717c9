#pragma once

#include "engine/protocol/radiomodes.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// Recognises the module's replies in the receive buffer. Each reply is found by its tag, the
// first occurrence counting and any text before it ignored; a reply that has not fully
// arrived yet is not there at all.
namespace reply {

enum class ModelCheck { NoResponse, Unsupported, Accepted };

// The answer to "@FV": a line end must have arrived, and an accepted model string must stand
// anywhere in the buffer. The line end is looked for from the fourth character, as behind a
// reply tag.
ModelCheck checkModel(const QString &buffer);

// An accepted answer to "@FV" split into the word that holds the model name ("KVT-318M") and
// the words after it ("Ver1.00"), one space between words, control characters as spaces.
struct ModuleIdentity
{
    QString model;
    QString firmware;
};
ModuleIdentity moduleIdentity(const QString &identification);

// The answer to "@MO" names the given mode ("*MO=01" FSK, "*MO=03" LoRa, "*MO=04" Air Monitor).
bool reportsMode(const QString &buffer, RadioMode mode);

// "*CH=", any text, then CR LF.
bool hasChannelSet(const QString &buffer);

// "*RA=", a decimal value, then "dBm" and CR LF: the value in dBm.
std::optional<qint16> rssiReading(const QString &buffer);

// "*RS=" and two hexadecimal digits, whatever follows: the byte less 256, in dBm.
std::optional<qint16> airMonitorReading(const QString &buffer);

// The module's shortest reply line, "*ER" and CR LF.
constexpr qsizetype kShortestReply = 5;

// The fewest bytes that, added to the buffer, could make one of the replies read in these
// modes complete: fewer cannot, so reading them can wait. At most kShortestReply, so that a
// reply of any other kind is read as soon as it can be whole too; at least 1.
qsizetype bytesAwaited(const QString &buffer, RadioModes modes);

} // namespace reply
