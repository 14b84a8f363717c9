#pragma once

#include "report/reportfacts.h"
#include "windows/history/savepathchooser.h"

#include <QObject>

#include <functional>
#include <optional>

class AlarmEventKeeper;
class ChannelStatistics;
class QAction;
class QThread;
class QWidget;
class SweepRows;
struct ReportContent;

// File → Export report…: asks where to save the survey report of what the window shows, then
// writes it beside the window (the recording's checksum and the pages take a moment on a long
// survey), and says why when it could not.
class ReportExport : public QObject
{
    Q_OBJECT

public:
    // What the window shows, gathered when a report is asked for; nothing when it shows nothing
    // to report, the reason then in the text.
    using Gather = std::function<std::optional<ReportContent>(QString *nothing)>;

    ReportExport(Gather gather, SavePathChooser chooser, QWidget *window);
    ~ReportExport() override;
    ReportExport(const ReportExport &) = delete;
    ReportExport &operator=(const ReportExport &) = delete;

    [[nodiscard]] QAction *action() const { return m_action; }

    // What the window shows: the rows from newestAge to oldestAge, both included, with their
    // figures, and the recording they were read from, if any, with the receiver it names.
    struct Shown
    {
        const SweepRows &rows;
        int newestAge = 0;
        int oldestAge = 0;
        const ChannelStatistics &statistics;
        QString recording;
        QString receiver;
        // The last plan made in the window; reported only while the figures are those it was
        // made for.
        std::optional<ReportPlan> plan;
        // The alarm events of the live history, and whether alarm rules are on: the report lists
        // those within the rows' times while there are rules or such events.
        const AlarmEventKeeper *alarms = nullptr;
        bool alarmRules = false;
    };
    // The report's content of it; nothing, with the reason, when it holds nothing to report.
    [[nodiscard]] static std::optional<ReportContent> contentOf(const Shown &shown,
                                                                QString *nothing);

Q_SIGNALS:
    // The report is complete at this path.
    void written(const QString &path);
    // A report that could not be written; the reason, to be shown.
    void failed(const QString &message);

private:
    void run();

    Gather m_gather;
    SavePathChooser m_chooser;
    QWidget *m_window = nullptr;
    QAction *m_action = nullptr;
    QThread *m_thread = nullptr;
};
