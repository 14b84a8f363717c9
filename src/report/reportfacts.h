#pragma once

#include "core/radiomode.h"
#include "engine/plan/planreasons.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

// What a report says of how a survey was made, beside its figures. An empty text is not known.
struct ReportFacts
{
    // The receiver's name; the port's base name until the receiver names itself.
    QString receiver;
    QString port;
    // The module's model and firmware as it gave them to "@FV".
    QString model;
    QString firmware;
    std::optional<RadioMode> mode;
    QString sampleCount;
    // How the threshold was set: given, the default, chosen in the window.
    QString thresholdSource;
    qint64 sweeps = 0;
    // Runs broken by a gap in the recording or a reconnect.
    qint64 breaks = 0;
    // The recording, or the live run's output file, and the SHA-256 of its bytes in hex.
    QString recording;
    QString sha256;
};

// The channel plan asked for, as the search explained it.
struct ReportPlan
{
    PlanReport report;
    PlanSurvey survey;
};
