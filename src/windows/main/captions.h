#pragma once

#include <QString>

// What the monitor window shows on its start/stop button and in its status line.
namespace captions {

inline QString buttonStopped()
{
    return QStringLiteral("モニタ停止");
}
inline QString buttonPreparing()
{
    return QStringLiteral("モニタ準備中");
}
inline QString buttonStarted()
{
    return QStringLiteral("モニタ開始");
}

inline QString portFault()
{
    return QStringLiteral("Comポート異常検出");
}
inline QString unsupportedDevice()
{
    return QStringLiteral("本装置は対応していません");
}
inline QString noResponse()
{
    return QStringLiteral("応答無");
}

} // namespace captions
