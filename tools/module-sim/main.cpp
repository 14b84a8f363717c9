#include "core/selfpipe.h"
#include "simoptions.h"
#include "simulator.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const kvtsim::ParseOutcome outcome = kvtsim::parseOptions(args);
    if (outcome.action == kvtsim::ParseOutcome::Action::ShowHelp) {
        std::fputs(kvtsim::usageText().c_str(), stdout);
        return 0;
    }
    if (outcome.action == kvtsim::ParseOutcome::Action::Fail) {
        std::fprintf(stderr, "kvt318-sim: %s\nTry kvt318-sim --help.\n", outcome.error.c_str());
        return kExitUsage;
    }
    try {
        // A client that goes away must not end the simulator.
        std::signal(SIGPIPE, SIG_IGN);
        const SelfPipe signals({SIGINT, SIGTERM, SIGHUP});
        kvtsim::Simulator simulator(outcome.options);
        // The first line is the contract with scripts and tests: the terminal to open.
        std::printf("%s\n", simulator.terminalPath().c_str());
        std::fflush(stdout);
        std::fprintf(stderr, "kvt318-sim: serving %s (seed %llu)\n",
                     simulator.terminalPath().c_str(),
                     static_cast<unsigned long long>(simulator.seed()));
        return simulator.run(signals.readFd());
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kvt318-sim: %s\n", error.what());
        return kExitFailure;
    }
}
