#include "app/timerresolution.h"

#ifdef Q_OS_WIN
#include <windows.h>
#include <timeapi.h>
#endif

#include <QtGlobal>

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
