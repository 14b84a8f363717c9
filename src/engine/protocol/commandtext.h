#pragma once

#include <QByteArray>
#include <QString>

// The command lines the module understands, as they are written into Send (without their
// terminator), and the bytes a line becomes on the wire.
namespace command {

// Two upper-case hexadecimal digits, zero-padded: channel 7 is "07", channel 46 "2E".
QString channelField(int channelNumber);

QString identify();
QString queryMode();
QString selectChannel(const QString &channelField);
QString readRssi();
// The sample count goes out exactly as the user typed it.
QString airMonitor(const QString &channelField, const QString &sampleCount);

// The text with CR LF behind it. Commands are ASCII; a sample count the user typed with other
// characters is sent as UTF-8.
QByteArray toLine(const QString &text);

} // namespace command
