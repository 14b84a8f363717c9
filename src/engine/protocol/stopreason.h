#pragma once

#include "engine/port/portopenfailure.h"

#include <QString>

// Why a run ended, as a value for every listener to phrase in its own words.
struct StopReason
{
    enum class Kind {
        UserStop,         // requestStop() or stop()
        PortOpenFailed,   // openFailure says why
        PortFailed,       // detail: the serial layer's text
        NoAnswer,         // no complete answer to "@FV"; detail: what did arrive
        UnsupportedModel, // detail: what the module said to "@FV"
        UnsupportedMode,  // detail: what the module said to "@MO"
        Stalled,          // no reading within the stall time-out
    };

    Kind kind = Kind::UserStop;
    PortOpenFailure openFailure;
    QString detail;
};
