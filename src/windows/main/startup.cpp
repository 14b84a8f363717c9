#include "windows/main/startup.h"

namespace startup {

QString windowTitle()
{
    return QStringLiteral("KVT-318M RSSI Monitor   Ver.= %1.%2.%3")
        .arg(KVT_VERSION_MAJOR)
        .arg(KVT_VERSION_MINOR)
        .arg(KVT_VERSION_PATCH);
}

} // namespace startup
