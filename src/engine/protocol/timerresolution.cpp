#include "engine/protocol/timerresolution.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>
#endif

namespace timerresolution {

namespace {
[[maybe_unused]] constexpr unsigned int kResolutionMs = 1;
}

void request()
{
#ifdef Q_OS_WIN
    timeBeginPeriod(kResolutionMs);
#endif
}

void release()
{
#ifdef Q_OS_WIN
    timeEndPeriod(kResolutionMs);
#endif
}

} // namespace timerresolution
