#pragma once

#include "bandscene.h"
#include "reply.h"
#include "simclock.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvtsim {

struct SimOptions;

// The module's command handling: turns one received line (without its line end) into the
// reply the module sends, or into silence.
class CommandInterpreter
{
public:
    CommandInterpreter(const SimOptions &options, BandScene &scene);

    // `at` is the time since the simulator started, for carriers that come and go.
    std::optional<Reply> handle(std::string_view command, Clock::duration at);

private:
    std::optional<Reply> identify() const;
    std::optional<Reply> reportMode() const;
    Reply selectChannel(std::string_view field);
    Reply readRssi(Clock::duration at);
    Reply airMonitor(std::string_view arguments, Clock::duration at);

    std::string m_idLine;
    bool m_answersId = true;
    std::optional<std::string> m_modeCode;
    BandScene &m_scene;
    int m_channel = kFirstChannel;
};

} // namespace kvtsim
