#pragma once

#include <QString>

namespace startup {

// "KVT-318M RSSI Monitor   Ver.= 1.0.0", with the version of this build.
QString windowTitle();

} // namespace startup
