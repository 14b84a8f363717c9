#include "report/reportdocument.h"
#include "core/channelplan.h"

#include "engine/history/hourgrid.h"
#include "engine/occupancy/hourwindows.h"
#include "engine/record/recordtime.h"
#include "painters/hourmappainter.h"
#include "painters/occupancypainter.h"
#include "painters/waterfallpainter.h"
#include "report/plantexts.h"
#include "report/reportcontent.h"
#include "report/warningtexts.h"

#include <QDateTime>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <array>

namespace {

// Pixels of a 96 dpi screen: the painters' sizes look on paper as they do in the window.
constexpr int kResolution = 96;
constexpr qreal kMarginMm = 15.0;
constexpr int kBodyPoints = 8;
constexpr int kHeadingPoints = 11;
constexpr int kTitlePoints = 16;
constexpr int kGap = 8;
constexpr int kOccupancyHeight = 300;
constexpr int kHourMapHeight = 420;
constexpr int kFactLabelWidth = 170;
constexpr int kMsPerSecond = 1000;

const QColor kPaper(Qt::white);
const QColor kInk(Qt::black);

QString orNone(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("—") : text;
}

QString figure(double value)
{
    return QString::number(value, 'f', 1);
}

// In the order of RadioMode.
constexpr std::array<const char *, 3> kModeNames = {"FSK", "LoRa", "Air Monitor"};

QString modeName(const std::optional<RadioMode> &mode)
{
    return mode ? QString::fromLatin1(kModeNames[static_cast<std::size_t>(*mode)]) : QString();
}

QString channelNumbers(const std::vector<int> &indices)
{
    QStringList numbers;
    for (const int index : indices) {
        numbers.append(QString::number(channelplan::channelNumber(index)));
    }
    return orNone(numbers.join(QStringLiteral(", ")));
}

QString software()
{
    return QStringLiteral("kvt318 %1.%2.%3")
        .arg(KVT_VERSION_MAJOR)
        .arg(KVT_VERSION_MINOR)
        .arg(KVT_VERSION_PATCH);
}

QString hourText(const std::optional<int> &hour)
{
    return hour ? QStringLiteral("%1:00").arg(*hour, 2, 10, QLatin1Char('0')) : QStringLiteral("—");
}

} // namespace

ReportDocument::ReportDocument(const ReportContent &content)
    : m_content(content)
{
    // Japanese texts in a face that has them all; elsewhere the system's, which falls back to
    // one with the glyphs.
    if (QLocale().language() == QLocale::Japanese) {
        m_font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
    } else {
        m_font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                            QStringLiteral("Noto Sans CJK JP")});
    }
    m_font.setPointSize(kBodyPoints);
}

void ReportDocument::write(QIODevice &device)
{
    QPdfWriter writer(&device);
    writer.setResolution(kResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                          QPageLayout::Millimeter);
    writer.setTitle(tr("Survey report"));
    writer.setCreator(software());
    QPainter painter(&writer);
    m_writer = &writer;
    m_painter = &painter;
    m_page = QRect(0, 0, writer.width(), writer.height());
    m_y = m_page.top();
    painter.setFont(m_font);
    painter.setPen(kInk);
    // JPEG would blend a channel's colour into its neighbours'.
    painter.setRenderHint(QPainter::LosslessImageRendering);

    facts();
    warnings();
    occupancy();
    newPage();
    waterfall();
    newPage();
    hourMap();
    channelTable();
    plan();
    alarms();
    painter.end();
    m_painter = nullptr;
    m_writer = nullptr;
}

void ReportDocument::facts()
{
    const ReportFacts &facts = m_content.facts;
    const ChannelStatistics &statistics = m_content.statistics;
    QFont title = m_font;
    title.setPointSize(kTitlePoints);
    title.setBold(true);
    m_painter->setFont(title);
    const int titleHeight = m_painter->fontMetrics().height();
    m_painter->drawText(QRect(m_page.left(), m_y, m_page.width(), titleHeight),
                        Qt::AlignLeft | Qt::AlignVCenter, tr("Survey report"));
    m_painter->setFont(m_font);
    m_y += titleHeight + kGap;

    qint64 readings = 0;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        readings += statistics.channel(index).samples;
    }
    const OccupancyThreshold threshold = statistics.occupancyThreshold();
    const QString level = threshold.noiseRelative
                              ? tr("%1 dB above each channel's noise floor").arg(threshold.db)
                              : tr("%1 dBm").arg(threshold.dbm);
    const QList<std::pair<QString, QString>> rows = {
        {tr("Receiver"), orNone(facts.receiver)},
        {tr("Port"), orNone(facts.port)},
        {tr("Module model"), orNone(facts.model)},
        {tr("Firmware"), orNone(facts.firmware)},
        {tr("Radio mode"), orNone(modeName(facts.mode))},
        {tr("Sample count"), orNone(facts.sampleCount)},
        {tr("Threshold"), facts.thresholdSource.isEmpty()
                              ? level
                              : QStringLiteral("%1 (%2)").arg(level, facts.thresholdSource)},
        {tr("Hours counted"),
         statistics.hours().isAlways() ? tr("all") : statistics.hours().text()},
        {tr("Start"), time(statistics.firstUtcMs().value_or(0))},
        {tr("End"), time(statistics.lastUtcMs().value_or(0))},
        {tr("Sweeps"), QString::number(facts.sweeps)},
        {tr("Readings"), QString::number(readings)},
        {tr("Gaps and reconnects"), QString::number(facts.breaks)},
        {tr("Recording"), orNone(facts.recording)},
        {tr("SHA-256"), orNone(facts.sha256)},
        {tr("Software"), software()}};
    heading(tr("What was measured"));
    for (const auto &[label, value] : rows) {
        const int height = lineHeight();
        room(height);
        m_painter->drawText(QRect(m_page.left(), m_y, kFactLabelWidth, height),
                            Qt::AlignLeft | Qt::AlignVCenter, label);
        m_painter->drawText(
            QRect(m_page.left() + kFactLabelWidth, m_y, m_page.width() - kFactLabelWidth, height),
            Qt::AlignLeft | Qt::AlignVCenter, value);
        m_y += height;
    }
}

void ReportDocument::warnings()
{
    heading(tr("Warnings"));
    const QStringList lines = WarningTexts::lines(surveyWarnings(m_content.statistics));
    if (lines.isEmpty()) {
        line(tr("none"));
    }
    for (const QString &text : lines) {
        line(text);
    }
}

void ReportDocument::occupancy()
{
    heading(tr("Occupancy per channel, with its 95 % interval"));
    room(kOccupancyHeight);
    QList<int> planned;
    if (m_content.plan) {
        for (const int index : m_content.plan->report.result.plan.channels) {
            planned.append(index);
        }
    }
    chart::OccupancyPainter(*m_painter, {kPaper, kInk, QColor(Qt::lightGray), QColor(48, 140, 198),
                                         QColor(Qt::red), QColor(0, 160, 60)})
        .paint(QRect(m_page.left(), m_y, m_page.width(), kOccupancyHeight), m_content.statistics,
               {nullptr, {}, 0, planned});
    m_y += kOccupancyHeight + kGap;
}

void ReportDocument::waterfall()
{
    const ChannelStatistics &statistics = m_content.statistics;
    heading(tr("The whole period, each row the highest level of its time"));
    line(tr("%1 to %2, newest at the top; times are local")
             .arg(time(statistics.firstUtcMs().value_or(0)),
                  time(statistics.lastUtcMs().value_or(0))));
    const QRect area(m_page.left(), m_y, m_page.width(), m_page.bottom() - m_y);
    const ReducedRows rows = m_content.waterfall.rows(chart::WaterfallGeometry(area).visibleRows());
    chart::WaterfallPainter(*m_painter, {kPaper, kInk, QColor(Qt::darkGray)})
        .paint(area, rows, 0, Qt::LocalTime);
    m_y = m_page.bottom();
}

void ReportDocument::hourMap()
{
    heading(tr("Occupancy by hour of the day (local time), each channel's busy hour framed"));
    room(kHourMapHeight);
    chart::HourMapPainter(*m_painter, {kPaper, kInk, QColor(Qt::lightGray)})
        .paint(QRect(m_page.left(), m_y, m_page.width(), kHourMapHeight),
               HourGrid(m_content.statistics.hourMap(), DaySelection::AllDays));
    m_y += kHourMapHeight + kGap;
}

void ReportDocument::channelTable()
{
    heading(tr("Channels"));
    const QList<Column> columns = {
        {tr("Ch"), 3},        {tr("MHz"), 6},         {tr("Min"), 4},
        {tr("Mean"), 5},      {tr("Median"), 5},      {tr("P90"), 4},
        {tr("Max"), 4},       {tr("Occupancy %"), 7}, {tr("95 % interval"), 8},
        {tr("Busy hour"), 6}, {tr("Bursts"), 5},      {tr("Longest (s)"), 7}};
    QList<QStringList> rows;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const ChannelSummary s = m_content.statistics.channel(index);
        const bool measured = s.samples > 0;
        const bool counted = s.hourSamples > 0;
        const QString none = QStringLiteral("—");
        rows.append(
            {QString::number(channelplan::channelNumber(index)), record::channelMhz(index),
             measured ? QString::number(s.min) : none, measured ? figure(s.mean) : none,
             measured ? QString::number(s.median) : none, measured ? QString::number(s.p90) : none,
             measured ? QString::number(s.max) : none, counted ? figure(s.occupancyPct) : none,
             counted ? QStringLiteral("%1–%2").arg(figure(s.occupancyLowPct),
                                                   figure(s.occupancyHighPct))
                     : none,
             hourText(s.busyHour), QString::number(s.bursts),
             QString::number(static_cast<double>(s.longestBurstMs) / kMsPerSecond, 'f', 1)});
    }
    table(columns, rows);
}

void ReportDocument::plan()
{
    if (!m_content.plan) {
        return;
    }
    const PlanReport &report = m_content.plan->report;
    const PlanSurvey &survey = m_content.plan->survey;
    const PlanConstraints &constraints = report.constraints;
    const PlanResult &result = report.result;
    heading(tr("Channel plan"));
    line(result.feasible
             ? tr("The best %1 of the %2 open channels by measured occupancy: %3")
                   .arg(result.requested)
                   .arg(result.open)
                   .arg(channelNumbers(result.plan.channels))
             : tr("%1 channels cannot meet the constraints; at most %2 can, the best of them: %3")
                   .arg(result.requested)
                   .arg(result.plan.channels.size())
                   .arg(channelNumbers(result.plan.channels)));
    for (const PlanLimit &limit : result.limits) {
        line(tr("Binding: %1").arg(PlanTexts::limitText(limit, constraints, result.open)));
    }
    if (constraints.spares > 0) {
        line(tr("Spares: %1").arg(channelNumbers(result.plan.spares)));
    }
    QStringList strong;
    for (const StrongCarrierRule &rule : constraints.strong) {
        strong.append(QStringLiteral("%1:%2").arg(rule.dbm).arg(rule.distance));
    }
    line(tr("Constraints: %1, guard %2, spacing %3; allowed %4; avoided %5; fixed %6; strong "
            "carriers %7")
             .arg(PlanTexts::productsText(constraints.products))
             .arg(constraints.guard)
             .arg(constraints.spacing)
             .arg(orNone(plan::channelListText(constraints.allowed)),
                  orNone(plan::channelListText(constraints.avoided)),
                  orNone(plan::channelListText(constraints.fixed)),
                  orNone(strong.join(QStringLiteral(", ")))));
    for (const FixedProduct &fixed : report.fixedProducts) {
        line(tr("Note: %1").arg(PlanTexts::fixedProductText(fixed)));
    }
    const QList<Column> columns = {{tr("Ch"), 3},
                                   {tr("Verdict"), 6, Qt::AlignLeft},
                                   {tr("Occupancy %"), 7},
                                   {tr("95 % interval"), 8},
                                   {tr("Busy hour"), 6},
                                   {tr("Max"), 4},
                                   {tr("Reason"), 30, Qt::AlignLeft}};
    QList<QStringList> rows;
    for (const ChannelVerdict &verdict : report.channels) {
        const PlanChannel &channel = survey[static_cast<std::size_t>(verdict.index)];
        QStringList reasons;
        for (const PlanReason &reason : verdict.reasons) {
            reasons.append(PlanTexts::reasonText(reason, constraints));
        }
        const QString none = QStringLiteral("—");
        rows.append(
            {QString::number(channelplan::channelNumber(verdict.index)),
             PlanTexts::verdictName(verdict.verdict),
             channel.measured ? figure(channel.occupancyPct) : none,
             channel.measured ? QStringLiteral("%1–%2").arg(figure(channel.occupancyLowPct),
                                                            figure(channel.occupancyHighPct))
                              : none,
             hourText(channel.busyHour), channel.measured ? QString::number(channel.maxDbm) : none,
             reasons.join(QStringLiteral("; "))});
    }
    table(columns, rows);
}

void ReportDocument::alarms()
{
    if (!m_content.alarms) {
        return;
    }
    const ReportAlarms &alarms = *m_content.alarms;
    heading(tr("Alarms"));
    line(tr("Raised %1, cleared %2, still raised at the end %3")
             .arg(alarms.raised)
             .arg(alarms.cleared)
             .arg(alarms.ended));
    const qint64 total = alarms.raised + alarms.cleared + alarms.ended;
    if (total > static_cast<qint64>(alarms.events.size())) {
        line(tr("The first %1 of %2 events:").arg(alarms.events.size()).arg(total));
    }
    const QList<Column> columns = {{tr("Time"), 12, Qt::AlignLeft},
                                   {tr("Event"), 5, Qt::AlignLeft},
                                   {tr("Ch"), 3},
                                   {tr("dBm"), 4},
                                   {tr("Lasted (s)"), 6},
                                   {tr("Peak"), 4},
                                   {tr("Rule"), 16, Qt::AlignLeft}};
    QList<QStringList> rows;
    for (const AlarmEvent &event : alarms.events) {
        rows.append(
            {time(event.utcMs), alarms::kindName(event.kind),
             QString::number(channelplan::channelNumber(event.index)), QString::number(event.dbm),
             event.durationMs
                 ? QString::number(static_cast<double>(*event.durationMs) / kMsPerSecond, 'f', 1)
                 : QStringLiteral("—"),
             QString::number(event.peakDbm), event.rule});
    }
    table(columns, rows);
}

void ReportDocument::heading(const QString &text)
{
    QFont bold = m_font;
    bold.setPointSize(kHeadingPoints);
    bold.setBold(true);
    m_painter->setFont(bold);
    const int height = m_painter->fontMetrics().height();
    // A heading stands with what follows it.
    room(height + kGap + 4 * lineHeight());
    m_y += kGap;
    m_painter->drawText(QRect(m_page.left(), m_y, m_page.width(), height),
                        Qt::AlignLeft | Qt::AlignVCenter, text);
    m_painter->setFont(m_font);
    m_y += height + kGap / 2;
}

void ReportDocument::line(const QString &text)
{
    const QRect bounds = m_painter->fontMetrics().boundingRect(
        QRect(m_page.left(), 0, m_page.width(), m_page.height()), Qt::TextWordWrap, text);
    room(bounds.height());
    m_painter->drawText(QRect(m_page.left(), m_y, m_page.width(), bounds.height()),
                        Qt::AlignLeft | Qt::TextWordWrap, text);
    m_y += bounds.height();
}

void ReportDocument::table(const QList<Column> &columns, const QList<QStringList> &rows)
{
    QStringList headings;
    for (const Column &column : columns) {
        headings.append(column.heading);
    }
    tableRow(columns, headings, true);
    for (const QStringList &row : rows) {
        if (m_y + lineHeight() > m_page.bottom()) {
            newPage();
            tableRow(columns, headings, true);
        }
        tableRow(columns, row, false);
    }
}

void ReportDocument::tableRow(const QList<Column> &columns, const QStringList &cells, bool bold)
{
    int shares = 0;
    for (const Column &column : columns) {
        shares += column.width;
    }
    QFont font = m_font;
    font.setBold(bold);
    m_painter->setFont(font);
    // A long reason wraps within its cell; the row is as high as its highest cell.
    QList<QRect> rects;
    int height = lineHeight();
    int left = m_page.left();
    constexpr int kPadding = 3;
    for (int c = 0; c < columns.size(); ++c) {
        const int width = m_page.width() * columns[c].width / shares;
        const QRect cell(left + kPadding, m_y, width - 2 * kPadding, m_page.height());
        const QRect needed = m_painter->fontMetrics().boundingRect(
            cell, int(columns[c].alignment) | Qt::TextWordWrap, cells.value(c));
        height = std::max(height, needed.height());
        rects.append(cell);
        left += width;
    }
    room(height);
    for (int c = 0; c < columns.size(); ++c) {
        QRect cell = rects[c];
        cell.moveTop(m_y);
        cell.setHeight(height);
        m_painter->drawText(cell, int(columns[c].alignment | Qt::AlignTop) | Qt::TextWordWrap,
                            cells.value(c));
    }
    m_y += height;
    if (bold) {
        m_painter->drawLine(m_page.left(), m_y, m_page.right(), m_y);
    }
    m_painter->setFont(m_font);
}

void ReportDocument::room(int height)
{
    if (m_y + height > m_page.bottom()) {
        newPage();
    }
}

void ReportDocument::newPage()
{
    m_writer->newPage();
    m_y = m_page.top();
}

int ReportDocument::lineHeight() const
{
    return m_painter->fontMetrics().height();
}

QString ReportDocument::time(qint64 utcMs) const
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime);
    return QStringLiteral("%1 %2 (%3)")
        .arg(local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), local.timeZoneAbbreviation(),
             record::recordTime(utcMs));
}
