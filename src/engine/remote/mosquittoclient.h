#pragma once

#include "engine/remote/brokersettings.h"

#include <QString>

struct mosquitto;

// What the watcher's connection and kvt318-scan's session do alike with libmosquitto.
namespace mosquittoclient {

// CONNACK return codes of MQTT 3.1.1 that mean "try again later" rather than "not like this".
inline constexpr int kServerUnavailable = 3;

// Once a process, before the first client.
void initialiseLibrary();
// The library's sentence without its full stop: the messages go on after the reason.
QString reasonText(const char *sentence);
// The reason of a library call's failure, the system's where the library says errno.
QString errorText(int rc, int savedErrno);
// The login and TLS the settings ask for; the library's return code.
int applyLoginAndTls(mosquitto *client, const BrokerSettings &settings);

} // namespace mosquittoclient
