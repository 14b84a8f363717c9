#pragma once

#include "engine/record/receiveridentity.h"
#include "report/reportcontent.h"

#include <QString>

#include <memory>
#include <optional>

class AlarmWatch;
class QSaveFile;
class SurveyRun;
struct ScanOptions;

// kvt318-scan's survey report (--report): gathers the waterfall, the breaks and the alarms while
// the run goes, and writes the PDF at its end. The file is opened at the start, so that a path
// that cannot be written is known before the survey, and replaced only once the report is whole.
class RunReport
{
public:
    explicit RunReport(const ScanOptions &options);
    ~RunReport();
    RunReport(const RunReport &) = delete;
    RunReport &operator=(const RunReport &) = delete;

    // "FILE: reason" when the file cannot be opened, or empty.
    [[nodiscard]] QString open();
    // Follows the run, and the alarms when there are rules.
    void follow(SurveyRun &run, AlarmWatch *alarms);
    // The receiver's name, and the module's model and firmware once it has told them.
    void setReceiver(const ReceiverIdentity &receiver);
    void setPlan(ReportPlan plan) { m_content.plan = std::move(plan); }

    // Writes the report of the run; the reason it could not, and whether that is for want of
    // anything to report.
    struct Outcome
    {
        QString error;
        bool empty = false;
    };
    [[nodiscard]] Outcome write(const SurveyRun &run);

private:
    const ScanOptions &m_options;
    std::unique_ptr<QSaveFile> m_file;
    ReportContent m_content;
};
