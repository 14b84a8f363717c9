#include "engine/remote/brokersettings.h"

#include <QFile>

namespace brokersettings {

std::optional<QByteArray> readPasswordFile(const QString &path, QString &error)
{
    QFile file(path);
    const auto failed = [&file, &error] {
        error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return failed();
    }
    QByteArray line = file.readLine();
    if (file.error() != QFile::NoError) {
        return failed();
    }
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

} // namespace brokersettings
