#include "engine/protocol/serialtrace.h"

Q_LOGGING_CATEGORY(lcSerial, "kvt318.serial", QtWarningMsg)
