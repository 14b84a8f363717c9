#include "windows/history/planpane.h"

#include "core/channelplan.h"
#include "engine/plan/planexport.h"
#include "engine/record/plansurvey.h"
#include "engine/record/recordtime.h"
#include "report/plantexts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

enum Column {
    ChannelColumn,
    MhzColumn,
    VerdictColumn,
    ReasonColumn,
    OccupancyColumn,
    IntervalColumn,
    BusyHourColumn,
    HighestColumn,
    StrongColumn,
    ColumnCount
};

QString channelNumbers(const std::vector<int> &indices)
{
    QStringList numbers;
    for (const int index : indices) {
        numbers.append(QString::number(channelplan::channelNumber(index)));
    }
    return numbers.join(QStringLiteral(", "));
}

// Each control named, explained and labelled for assistive tools alike.
template <typename Field>
Field *described(Field *field, const QString &name, const QString &accessible, const QString &tip)
{
    field->setObjectName(name);
    field->setAccessibleName(accessible);
    field->setToolTip(tip);
    return field;
}

} // namespace

PlanPane::PlanPane(Statistics statistics, SavePathChooser chooser, QWidget *parent)
    : QWidget(parent)
    , m_statistics(std::move(statistics))
    , m_chooser(std::move(chooser))
    , m_size(described(new QSpinBox(this), QStringLiteral("planSize"), tr("Channels"),
                       tr("How many channels the plan proposes.")))
    , m_allowed(described(new QLineEdit(QStringLiteral("7-46"), this),
                          QStringLiteral("planAllowed"), tr("Allowed channels"),
                          tr("Channels the plan may use: numbers and ranges such as 7-12,30.")))
    , m_avoided(described(new QLineEdit(this), QStringLiteral("planAvoided"),
                          tr("Avoided channels"), tr("Channels the plan must not use.")))
    , m_fixed(described(new QLineEdit(this), QStringLiteral("planFixed"), tr("Fixed channels"),
                        tr("Your channels already in use: they count for spacing and products "
                           "and are never proposed.")))
    , m_spacing(described(new QSpinBox(this), QStringLiteral("planSpacing"), tr("Spacing"),
                          tr("The least distance in channels between any two plan or fixed "
                             "channels.")))
    , m_products(described(new QComboBox(this), QStringLiteral("planProducts"),
                           tr("Intermodulation order"),
                           tr("Intermodulation products kept off plan and fixed channels: none, "
                              "third order (2A−B, A+B−C) or also fifth order (3A−2B, 2A+B−2C).")))
    , m_guard(described(new QSpinBox(this), QStringLiteral("planGuard"), tr("Product guard"),
                        tr("A product within this many channels of a plan or fixed channel hits "
                           "it.")))
    , m_strong(described(new QLineEdit(this), QStringLiteral("planStrong"), tr("Strong carriers"),
                         tr("DBM:K, comma separated: no plan channel within K channels of one "
                            "whose level reached DBM, that one included.")))
    , m_spares(described(new QSpinBox(this), QStringLiteral("planSpares"), tr("Spares"),
                         tr("Further channels, each able to replace any one plan channel.")))
    , m_planButton(described(new QPushButton(tr("P&lan"), this), QStringLiteral("makePlan"),
                             tr("Plan"),
                             tr("Search the best channels for the figures shown: the span "
                                "selected and the hours counted.")))
    , m_exportButton(described(new QPushButton(tr("E&xport CSV…"), this),
                               QStringLiteral("exportPlan"), tr("Export CSV"),
                               tr("Save every channel's verdict and reason as CSV.")))
    , m_result(new QLabel(this))
    , m_table(new QTableWidget(0, ColumnCount, this))
{
    setObjectName(QStringLiteral("PlanPane"));
    m_size->setRange(1, channelplan::kChannelCount);
    m_size->setValue(4);
    m_spacing->setRange(1, PlanConstraints::kLargestSpacing);
    m_guard->setRange(0, PlanConstraints::kLargestGuard);
    m_spares->setRange(0, channelplan::kChannelCount - 1);
    m_products->addItem(tr("None"), QStringLiteral("none"));
    m_products->addItem(tr("Third order"), QStringLiteral("3"));
    m_products->addItem(tr("Third and fifth order"), QStringLiteral("5"));
    m_products->setCurrentIndex(1);
    m_strong->setPlaceholderText(QStringLiteral("-60:2"));
    m_exportButton->setEnabled(false);
    m_result->setObjectName(QStringLiteral("planResult"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table->setObjectName(QStringLiteral("planReasons"));
    m_table->setHorizontalHeaderLabels({tr("Channel"), tr("MHz"), tr("Verdict"), tr("Reason"),
                                        tr("Occupancy %"), tr("95 % interval"), tr("Busy hour"),
                                        tr("Highest dBm"), tr("To strong carrier")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *fields = new QGridLayout;
    const QList<std::pair<QString, QWidget *>> rows = {
        {tr("&Channels:"), m_size},   {tr("&Allowed:"), m_allowed},
        {tr("Av&oided:"), m_avoided}, {tr("Fixe&d:"), m_fixed},
        {tr("S&pacing:"), m_spacing}, {tr("I&M order:"), m_products},
        {tr("IM &guard:"), m_guard},  {tr("St&rong DBM:K:"), m_strong},
        {tr("Spar&es:"), m_spares}};
    constexpr int kPerRow = 3;
    for (int i = 0; i < rows.size(); ++i) {
        auto *label = new QLabel(rows.at(i).first, this);
        label->setBuddy(rows.at(i).second);
        fields->addWidget(label, i / kPerRow, 2 * (i % kPerRow));
        fields->addWidget(rows.at(i).second, i / kPerRow, 2 * (i % kPerRow) + 1);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_planButton);
    buttons->addWidget(m_exportButton);
    buttons->addWidget(m_result, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);

    connect(m_planButton, &QPushButton::clicked, this, &PlanPane::plan);
    connect(m_exportButton, &QPushButton::clicked, this, &PlanPane::exportCsv);
}

std::optional<PlanConstraints> PlanPane::constraints(QString *error) const
{
    PlanConstraints constraints;
    constraints.size = m_size->value();
    const QList<std::pair<QLineEdit *, ChannelMask *>> lists = {{m_allowed, &constraints.allowed},
                                                                {m_avoided, &constraints.avoided},
                                                                {m_fixed, &constraints.fixed}};
    for (const auto &[field, mask] : lists) {
        // A field left empty names no channel.
        if (field->text().trimmed().isEmpty()) {
            *mask = 0;
            continue;
        }
        QString reason;
        const auto channels = plan::parseChannelList(field->text(), &reason);
        if (!channels) {
            *error = tr("%1: %2").arg(field->accessibleName(), reason);
            return std::nullopt;
        }
        *mask = *channels;
    }
    constraints.spacing = m_spacing->value();
    constraints.products = *plan::productsFromName(m_products->currentData().toString());
    constraints.guard = m_guard->value();
    for (const QString &text : m_strong->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto rule = plan::parseStrongRule(text.trimmed());
        if (!rule) {
            *error = tr("%1: “%2” is not a level and a distance such as -60:2")
                         .arg(m_strong->accessibleName(), text.trimmed());
            return std::nullopt;
        }
        constraints.strong.push_back(*rule);
    }
    constraints.spares = m_spares->value();
    return constraints;
}

void PlanPane::plan()
{
    QString error;
    const auto rules = constraints(&error);
    if (!rules) {
        m_result->setText(error);
        return;
    }
    const PlanSurvey survey = plansurvey::fromStatistics(m_statistics());
    auto report = std::make_shared<PlanReport>();
    // The search holds only its own copies and cannot be stopped half-way: a window closed
    // meanwhile neither waits for it nor hears of it.
    QThread *worker = QThread::create([survey, rules = *rules, report] {
        PlanSearch search(survey, rules);
        *report = plan::explain(survey, rules, search.solve());
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, survey, report] {
        m_survey = survey;
        m_report = *report;
        m_planButton->setEnabled(true);
        showReport();
    });
    m_planButton->setEnabled(false);
    m_result->setText(tr("Searching…"));
    worker->start();
}

void PlanPane::showReport()
{
    const PlanReport &report = *m_report;
    const PlanResult &result = report.result;
    QString text;
    if (result.feasible) {
        text = tr("The best %1 of the %2 open channels by measured occupancy: %3.")
                   .arg(result.requested)
                   .arg(result.open)
                   .arg(channelNumbers(result.plan.channels));
    } else {
        QStringList binding;
        for (const PlanLimit &limit : result.limits) {
            binding.append(PlanTexts::limitText(limit, report.constraints, result.open));
        }
        text = tr("%1 channels cannot meet the constraints; at most %2 can, the best of them: "
                  "%3. Binding: %4.")
                   .arg(result.requested)
                   .arg(result.plan.channels.size())
                   .arg(channelNumbers(result.plan.channels), binding.join(QStringLiteral("; ")));
    }
    if (report.constraints.spares > 0) {
        text += QLatin1Char(' ') + tr("Spares: %1.").arg(channelNumbers(result.plan.spares));
    }
    m_result->setText(text);

    const QString none = QStringLiteral("–");
    m_table->setRowCount(static_cast<int>(report.channels.size()));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const ChannelVerdict &verdict = report.channels.at(static_cast<std::size_t>(row));
        const PlanChannel &channel = m_survey.at(static_cast<std::size_t>(verdict.index));
        QStringList reasons;
        for (const PlanReason &reason : verdict.reasons) {
            reasons.append(PlanTexts::reasonText(reason, report.constraints));
        }
        const QStringList cells = {
            QString::number(channelplan::channelNumber(verdict.index)),
            record::channelMhz(verdict.index),
            PlanTexts::verdictName(verdict.verdict),
            reasons.join(QStringLiteral("; ")),
            channel.measured ? QString::number(channel.occupancyPct, 'f', 1) : none,
            channel.measured ? QStringLiteral("%1–%2")
                                   .arg(channel.occupancyLowPct, 0, 'f', 1)
                                   .arg(channel.occupancyHighPct, 0, 'f', 1)
                             : none,
            channel.busyHour
                ? QStringLiteral("%1:00").arg(*channel.busyHour, 2, 10, QLatin1Char('0'))
                : none,
            channel.measured ? QString::number(channel.maxDbm) : none,
            verdict.strongDistance ? QString::number(*verdict.strongDistance) : none};
        for (int column = 0; column < ColumnCount; ++column) {
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        }
    }
    m_table->resizeColumnsToContents();
    m_exportButton->setEnabled(true);
    QList<int> indices(result.plan.channels.begin(), result.plan.channels.end());
    Q_EMIT planned(indices);
}

void PlanPane::exportCsv()
{
    const QString path = m_chooser(
        this, tr("Export plan"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("csv")),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !plan::writeCsv(file, *m_report, m_survey) ||
        !file.commit()) {
        Q_EMIT failed(tr("%1: %2").arg(path, file.errorString()));
    }
}
