#include "programs/scan/receivernaming.h"

#include "engine/port/portdevice.h"
#include "engine/port/portname.h"
#include "engine/record/receiveridentity.h"

#include <QFileInfo>

namespace receivernaming {

namespace {
// What is left when a text holds nothing a name may: a name all the same.
const QString kLastResort = QStringLiteral("kvt318");

QString firstOf(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (const QString name = receivername::reduced(text); !name.isEmpty()) {
            return name;
        }
    }
    return kLastResort;
}
} // namespace

QString forPort(const QString &port, const PortDevices &devices)
{
    const QString device = portname::resolve(port).value_or(port);
    const QString target = QFileInfo(device).canonicalFilePath();
    QString serialNumber;
    for (const PortDevice &found : devices.list()) {
        if (found.location == device || (!target.isEmpty() && found.systemLocation == target)) {
            serialNumber = found.serialNumber;
            break;
        }
    }
    return firstOf({serialNumber, QFileInfo(port).fileName()});
}

QString forRecording(const QString &recorded, const QString &path)
{
    return firstOf({recorded, QFileInfo(path).completeBaseName()});
}

} // namespace receivernaming
