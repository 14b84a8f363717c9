#pragma once

#include "engine/remote/brokersettings.h"

#include <QString>

#include <optional>

struct mosquitto;

// What the watcher's connection and kvt318-scan's session do alike with libmosquitto.
namespace mosquittoclient {

// Once a process, before the first client.
void initialiseLibrary();
// The library's sentence without its full stop: the messages go on after the reason.
QString reasonText(const char *sentence);
// The reason of a library call's failure, the system's where the library says errno.
QString errorText(int rc, int savedErrno);
// The login and TLS the settings ask for; the library's return code.
int applyLoginAndTls(mosquitto *client, const BrokerSettings &settings);

// Why a connection ended, and whether the broker turned it away (a login or TLS handshake it
// refuses) rather than being away for now.
struct ConnectionEnd
{
    QString reason;
    bool refused = false;
};
// From the library's return code, errno just after it, the broker's CONNACK code where it
// answered with a refusal, and the library's last logged error.
ConnectionEnd connectionEnd(int rc, int savedErrno, std::optional<int> refusal,
                            const QString &libraryError);

} // namespace mosquittoclient
