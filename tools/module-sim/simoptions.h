#pragma once

#include "bandscene.h"
#include "outboundwire.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvtsim {

struct SimOptions
{
    std::string linkPath;
    std::string logPath;

    std::string model = "KVT-318M";
    bool answersId = true;
    // Two digits; none means @MO goes unanswered.
    std::optional<std::string> modeCode = std::string("01");

    double noiseFloorDbm = -120.0;
    double jitterDb = 2.0;
    std::vector<CarrierSpec> carriers;
    // None: a random seed, shown at start-up.
    std::optional<std::uint64_t> seed;

    bool split = false;
    std::chrono::milliseconds delay{0};
    int baud = 0;
    std::optional<long long> stallAfter;
    std::optional<long long> hangupAfter;
    int garbageBytes = 0;
    Delivery delivery = Delivery::Bytes;
    std::chrono::milliseconds latency{0};
};

struct ParseOutcome
{
    enum class Action { Run, ShowHelp, Fail };

    Action action = Action::Run;
    SimOptions options;
    std::string error;
};

// Reads the command line (without the program name). Never throws.
ParseOutcome parseOptions(const std::vector<std::string> &args);

// The --help text: every option, the command and reply forms, the log format, exit statuses.
std::string usageText();

} // namespace kvtsim
