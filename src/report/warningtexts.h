#pragma once

#include "engine/record/surveywarnings.h"

#include <QCoreApplication>
#include <QStringList>

#include <vector>

// The survey warnings in the language of the user, for the report and the windows; the files
// and standard error keep the engine's English, which scripts read.
class WarningTexts
{
    Q_DECLARE_TR_FUNCTIONS(WarningTexts)

public:
    // In the lines and order of warningLines().
    static QStringList lines(const std::vector<SurveyWarning> &warnings);

private:
    static QString shortSurvey(const SurveyWarning &warning);
    static QString everyChannel(const WarningGroups &groups);
    static QString someChannels(const WarningGroups &groups);
    static QString slowRevisits(const WarningGroups &groups);
};
