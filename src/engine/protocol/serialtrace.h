#pragma once

#include <QLoggingCategory>

// Serial traffic, off by default; QT_LOGGING_RULES="kvt318.serial.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
