#include "engine/remote/mosquittoclient.h"

#include <QFile>

#include <mosquitto.h>

#include <mutex>

namespace mosquittoclient {

namespace {
// CONNACK return codes of MQTT 3.1.1 that mean "try again later" rather than "not like this".
constexpr int kServerUnavailable = 3;
} // namespace

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString reasonText(const char *sentence)
{
    QString text = QString::fromUtf8(sentence);
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text;
}

QString errorText(int rc, int savedErrno)
{
    if (rc == MOSQ_ERR_ERRNO) {
        return qt_error_string(savedErrno);
    }
    return reasonText(mosquitto_strerror(rc));
}

int applyLoginAndTls(mosquitto *client, const BrokerSettings &settings)
{
    int rc = MOSQ_ERR_SUCCESS;
    if (!settings.user.isEmpty()) {
        rc = mosquitto_username_pw_set(client, settings.user.toUtf8().constData(),
                                       settings.password.constData());
    }
    if (rc == MOSQ_ERR_SUCCESS && settings.broker.tls) {
        if (settings.caFile.isEmpty()) {
            rc = mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            rc = mosquitto_tls_set(client, QFile::encodeName(settings.caFile).constData(), nullptr,
                                   nullptr, nullptr, nullptr);
        }
    }
    return rc;
}

ConnectionEnd connectionEnd(int rc, int savedErrno, std::optional<int> refusal,
                            const QString &libraryError)
{
    ConnectionEnd end;
    const bool tlsFailure = rc == MOSQ_ERR_TLS || rc == MOSQ_ERR_TLS_HANDSHAKE;
    end.refused = (refusal && *refusal != kServerUnavailable) || tlsFailure;
    end.reason =
        refusal ? reasonText(mosquitto_connack_string(*refusal)) : errorText(rc, savedErrno);
    if (!libraryError.isEmpty()) {
        end.reason += QStringLiteral(" (%1)").arg(libraryError);
    }
    return end;
}

} // namespace mosquittoclient
