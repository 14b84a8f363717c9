#pragma once

#include <string>

namespace kvtsim {

// One reply as the module sends it, line end included.
struct Reply
{
    std::string bytes;
    // An answer to @RA or @AM; the stall and hang-up faults count these.
    bool measurement = false;
};

} // namespace kvtsim
