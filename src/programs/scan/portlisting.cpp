#include "programs/scan/portlisting.h"

#include "engine/port/portdevice.h"
#include "engine/port/portlinks.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace portlisting {

namespace {
QString line(const QString &label, const QString &value)
{
    return QStringLiteral("  %1: %2\n").arg(label, value);
}
} // namespace

QString text(const QList<PortDevice> &ports, const PortLinks &links)
{
    QStringList blocks;
    for (const PortDevice &port : ports) {
        QString block = port.location + QLatin1Char('\n');
        for (const QString &link : links.to(port.location)) {
            block += line(QFileInfo(link).dir().dirName(), link);
        }
        if (!port.description.isEmpty()) {
            block += line(QStringLiteral("description"), port.description);
        }
        if (const QString usb = usbText(port); !usb.isEmpty()) {
            block += line(QStringLiteral("usb"), usb);
        }
        blocks.append(block);
    }
    return blocks.join(QLatin1Char('\n'));
}

} // namespace portlisting
