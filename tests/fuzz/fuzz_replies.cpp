// libFuzzer target: the reply scanning and the lenient number reading, on any bytes the
// module might send. Beyond crashes and undefined behaviour it checks that a reading is found
// exactly when its tag and line end are there, and that Air Monitor readings stay in range.

#include "engine/protocol/lenientnumber.h"
#include "engine/protocol/replyparser.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool hasAfter(const std::string &raw, const char *tag, const char *end)
{
    const std::size_t at = raw.find(tag);
    return at != std::string::npos && raw.find(end, at + 4) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const std::string raw(bytes, size);
    const QString buffer = QString::fromLatin1(bytes, static_cast<qsizetype>(size));

    static_cast<void>(reply::checkModel(buffer));
    for (const RadioMode mode : {RadioMode::Fsk, RadioMode::LoRa, RadioMode::AirMonitor}) {
        static_cast<void>(reply::reportsMode(buffer, mode));
    }
    require(reply::hasChannelSet(buffer) == hasAfter(raw, "*CH=", "\r\n"));
    require(reply::rssiReading(buffer).has_value() == hasAfter(raw, "*RA=", "dBm\r\n"));

    const std::size_t airTag = raw.find("*RS=");
    const std::optional<qint16> air = reply::airMonitorReading(buffer);
    require(air.has_value() == (airTag != std::string::npos && size >= airTag + 6));
    require(!air || (*air >= -256 && *air <= -1));

    static_cast<void>(lenient::readDecimal(buffer));
    const int pair = lenient::readHex(QStringView(buffer).left(2));
    require(pair >= 0 && pair <= 255);
    require(lenient::readHex(buffer) >= 0);
    return 0;
}
