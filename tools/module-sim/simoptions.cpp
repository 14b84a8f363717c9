#include "simoptions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <utility>

namespace kvtsim {

namespace {

constexpr double kLowestLevelDbm = -200.0;
constexpr double kHighestLevelDbm = 30.0;
constexpr double kLargestJitterDb = 30.0;
constexpr long long kLongestDelayMs = 60'000;
constexpr long long kFastestBaud = 10'000'000;
constexpr long long kMostGarbage = 4096;
constexpr std::size_t kModeCodeLength = 2;
// The latency timers USB serial adapters offer.
constexpr long long kShortestLatencyMs = 1;
constexpr long long kLongestLatencyMs = 16;

class OptionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

long long parseInteger(const std::string &option, const std::string &text, long long low,
                       long long high)
{
    long long value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
        throw OptionError(option + " wants a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

double parseReal(const std::string &option, const std::string &text, double low, double high)
{
    // strtod skips leading blanks and reads "inf"; neither belongs in an option value.
    char *stop = nullptr;
    const double value =
        text.empty() || text.front() == ' ' ? std::nan("") : std::strtod(text.c_str(), &stop);
    if (stop != text.c_str() + text.size() || !std::isfinite(value) || value < low ||
        value > high) {
        throw OptionError(option + " wants a number from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

std::uint64_t parseSeed(const std::string &text)
{
    std::uint64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        throw OptionError("--seed wants a whole number of at most 64 bits, not \"" + text + "\"");
    }
    return value;
}

std::vector<std::string> splitFields(const std::string &text, char separator)
{
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

CarrierSpec parseCarrier(const std::string &text)
{
    const std::vector<std::string> fields = splitFields(text, ':');
    if (fields.size() < 2 || fields.size() > 3) {
        throw OptionError("--carrier wants CH:DBM or CH:DBM:DUTY, not \"" + text + "\"");
    }
    CarrierSpec carrier;
    carrier.channel =
        static_cast<int>(parseInteger("--carrier channel", fields[0], kFirstChannel, kLastChannel));
    carrier.levelDbm = parseReal("--carrier level", fields[1], kLowestLevelDbm, kHighestLevelDbm);
    if (fields.size() == 3) {
        carrier.duty = parseReal("--carrier duty", fields[2], 0.0, 1.0);
    }
    return carrier;
}

std::optional<std::string> parseModeCode(const std::string &text)
{
    if (text == "none") {
        return std::nullopt;
    }
    const bool twoDigits = text.size() == kModeCodeLength &&
                           std::isdigit(static_cast<unsigned char>(text[0])) != 0 &&
                           std::isdigit(static_cast<unsigned char>(text[1])) != 0;
    if (!twoDigits) {
        throw OptionError("--mode wants two digits (01, 03, 04, ...) or none, not \"" + text +
                          "\"");
    }
    return text;
}

void parsePackets(const std::string &text, SimOptions &options)
{
    if (text == "reply") {
        options.delivery = Delivery::Reply;
        return;
    }
    try {
        options.latency = std::chrono::milliseconds(
            parseInteger("--packets", text, kShortestLatencyMs, kLongestLatencyMs));
    } catch (const OptionError &) {
        throw OptionError("--packets wants reply or a latency timer of " +
                          std::to_string(kShortestLatencyMs) + " to " +
                          std::to_string(kLongestLatencyMs) + " ms, not \"" + text + "\"");
    }
    options.delivery = Delivery::LatencyTimer;
}

std::string parseModel(const std::string &text)
{
    if (text.find_first_of("\r\n") != std::string::npos) {
        throw OptionError("--model must be one line");
    }
    return text;
}

// Walks the arguments; accepts both "--name value" and "--name=value".
class ArgumentWalker
{
public:
    explicit ArgumentWalker(const std::vector<std::string> &args)
        : m_args(args)
    {}

    bool next()
    {
        if (m_index >= m_args.size()) {
            return false;
        }
        const std::string &arg = m_args[m_index++];
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            m_name = arg.substr(0, equals);
            m_inlineValue = arg.substr(equals + 1);
        } else {
            m_name = arg;
            m_inlineValue.reset();
        }
        return true;
    }

    const std::string &name() const { return m_name; }

    std::string value()
    {
        if (m_inlineValue) {
            return *std::exchange(m_inlineValue, std::nullopt);
        }
        if (m_index >= m_args.size()) {
            throw OptionError(m_name + " needs a value");
        }
        return m_args[m_index++];
    }

    void expectNoValue() const
    {
        if (m_inlineValue) {
            throw OptionError(m_name + " takes no value");
        }
    }

private:
    const std::vector<std::string> &m_args;
    std::size_t m_index = 0;
    std::string m_name;
    std::optional<std::string> m_inlineValue;
};

void applyOption(ArgumentWalker &walker, SimOptions &options)
{
    const std::string &name = walker.name();
    if (name == "--link") {
        options.linkPath = walker.value();
        if (options.linkPath.empty()) {
            throw OptionError("--link needs a path");
        }
    } else if (name == "--log") {
        options.logPath = walker.value();
        if (options.logPath.empty()) {
            throw OptionError("--log needs a path");
        }
    } else if (name == "--model") {
        options.model = parseModel(walker.value());
    } else if (name == "--no-id") {
        walker.expectNoValue();
        options.answersId = false;
    } else if (name == "--mode") {
        options.modeCode = parseModeCode(walker.value());
    } else if (name == "--noise") {
        options.noiseFloorDbm = parseReal(name, walker.value(), kLowestLevelDbm, 0.0);
    } else if (name == "--jitter") {
        options.jitterDb = parseReal(name, walker.value(), 0.0, kLargestJitterDb);
    } else if (name == "--carrier") {
        options.carriers.push_back(parseCarrier(walker.value()));
    } else if (name == "--seed") {
        options.seed = parseSeed(walker.value());
    } else if (name == "--split") {
        walker.expectNoValue();
        options.split = true;
    } else if (name == "--delay-ms") {
        options.delay =
            std::chrono::milliseconds(parseInteger(name, walker.value(), 0, kLongestDelayMs));
    } else if (name == "--baud") {
        options.baud = static_cast<int>(parseInteger(name, walker.value(), 0, kFastestBaud));
    } else if (name == "--packets") {
        parsePackets(walker.value(), options);
    } else if (name == "--stall-after") {
        options.stallAfter =
            parseInteger(name, walker.value(), 0, std::numeric_limits<long long>::max());
    } else if (name == "--hangup-after") {
        options.hangupAfter =
            parseInteger(name, walker.value(), 1, std::numeric_limits<long long>::max());
    } else if (name == "--garbage") {
        options.garbageBytes =
            static_cast<int>(parseInteger(name, walker.value(), 0, kMostGarbage));
    } else {
        throw OptionError("unknown option \"" + name + "\"");
    }
}

} // namespace

ParseOutcome parseOptions(const std::vector<std::string> &args)
{
    ParseOutcome outcome;
    ArgumentWalker walker(args);
    try {
        while (walker.next()) {
            if (walker.name() == "--help" || walker.name() == "-h") {
                outcome.action = ParseOutcome::Action::ShowHelp;
                return outcome;
            }
            applyOption(walker, outcome.options);
        }
    } catch (const OptionError &error) {
        outcome.action = ParseOutcome::Action::Fail;
        outcome.error = error.what();
    }
    return outcome;
}

std::string usageText()
{
    return R"(Usage: kvt318-sim [OPTION]...
Plays a KVT-318 family radio module on a pseudo-terminal. The first line on
standard output is the device path of the terminal; open it like a serial
port (any line settings). The simulator keeps serving while clients close and
reopen the terminal.

Terminal:
  --link PATH            make PATH a symbolic link to the terminal; a stale
                         link there is replaced, any other file is refused;
                         removed again when the simulator ends
  --log FILE             write the traffic log to FILE (format below)
  Replies that fall due while no client has the terminal open wait in the
  terminal, and the next client to open it reads them first.

Module:
  --model TEXT           model named in the identification reply
                         (default KVT-318M; PVT-318 or any other text)
  --no-id                leave @FV unanswered
  --mode CODE            mode reported to @MO: 01 FSK, 03 LoRa, 04 Air
                         Monitor, any other two digits, or "none" to leave
                         @MO unanswered (default 01)

Band:
  --noise DBM            noise floor, -200 to 0 (default -120)
  --jitter DB            standard deviation of one draw, 0 to 30 (default 2)
  --carrier CH:DBM[:DUTY]
                         a carrier on channel number CH (7 to 46) at DBM
                         (-200 to 30) while on; DUTY, 0 to 1 (default 1), is
                         the fraction of time it is on, switching in bursts of
                         a few hundred ms. Repeatable; carriers on one channel
                         add up.
  --seed N               seed of every random draw (default: random; shown on
                         standard error at start-up)

Faults:
  --split                send each reply in chunks of 1 to 4 bytes, 2 to 6 ms
                         apart
  --delay-ms N           answer N ms after a command has arrived
  --baud N               model an 8N1 wire of N baud (10 bit times a byte)
                         both ways: a command counts as received when its last
                         byte would have arrived, and replies leave at that
                         rate; 0 (default) is as fast as possible
  --packets reply|MS     hand the replies to the terminal in packets, as a
                         USB serial adapter does, instead of each byte as
                         its stop bit arrives: "reply", each reply (each
                         chunk with --split) at once when its last byte is
                         in; MS, 1 to 16, whatever came in within the
                         adapter's latency timer of MS ms from a packet's
                         first byte (62 bytes at most a packet)
  --stall-after N        answer nothing at all once N measurements have been
                         answered (0: a silent module)
  --hangup-after N       once the Nth measurement reply has been written and
                         read by the client (at least 50 ms, at most 1 s after
                         it was written), close the terminal as a module being
                         unplugged: the client's reads end (EOF or EIO) and
                         its writes fail. Commands after that measurement are
                         not answered. The simulator then exits with status 0.
  --garbage N            send N random bytes (any value but "*") before each
                         reply; N is 0 to 4096

  -h, --help             show this help and exit

Options take their value as the next argument or after "=" (--seed=7).

Commands and replies:
  A command ends at CR LF, at a bare CR or at a bare LF. Every reply ends
  with CR LF. A measurement is a reply to @RA or @AM.
  @FV         TEXT Ver1.00        TEXT is the --model text
  @MO         *MO=CC              CC is the --mode code
  @CHxx       *CH=xx              selects channel field xx: two upper-case hex
                                  digits, 07 to 2E (channel numbers 7 to 46)
  @RA         *RA=-085dBm         RSSI of the selected channel (07 until the
                                  first @CH or @AM): sign and three digits
  @AMxxN      *RS=HH              xx as for @CH (and selected); N, the sample
                                  count, is 1 to 3 decimal digits, not 0: the
                                  reading is the mean of N draws, so a larger N
                                  jitters less; HH is dBm + 256, limited to
                                  0..255, in two upper-case hex digits
  Anything else, including an empty line, lower-case letters, a channel field
  out of range or extra characters, is answered with the line *ER and never
  with a measurement.

Traffic log (--log), one line per command received and per reply sent,
flushed at once:
  MICROSECONDS DIRECTION BYTES
  MICROSECONDS  the monotonic clock (CLOCK_MONOTONIC on Linux); for rx the
                moment the command's last byte arrived, for tx the moment the
                reply's last byte was handed to the terminal (taken just
                before the write, so no client sees a reply earlier)
  DIRECTION     rx (a command) or tx (a reply, garbage included)
  BYTES         as on the wire, line end included; a backslash is written \\,
                CR \r, LF \n, any other byte below 0x20 or above 0x7E \xNN
  Example:      5123456789 rx @CH0A\r\n
                5123456821 tx *CH=0A\r\n

Exit status: 0 after SIGINT, SIGTERM, SIGHUP or a hang-up; 1 when the
terminal, the link or the log cannot be set up, or the terminal fails;
2 on a bad command line.
)";
}

} // namespace kvtsim
