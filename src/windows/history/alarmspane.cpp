#include "windows/history/alarmspane.h"

#include "core/channelplan.h"
#include "engine/alarm/alarmwatch.h"
#include "engine/record/recordtime.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr std::chrono::seconds kRefreshInterval{1};
constexpr int kOnColumn = 0;
constexpr int kRuleColumn = 1;
constexpr double kMsPerSecond = 1000.0;
const QString kNewRule = QStringLiteral("ch=all,above=noise+10,for=2s");
} // namespace

AlarmsPane::AlarmsPane(AlarmWatch &watch, const AlarmEventKeeper *kept, QWidget *parent)
    : QWidget(parent)
    , m_watch(watch)
    , m_kept(kept)
    , m_rules(new QTableWidget(0, 2, this))
    , m_error(new QLabel(this))
    , m_active(new QTableWidget(0, 4, this))
    , m_events(new QListWidget(this))
    , m_notify(new QCheckBox(tr("&Notify"), this))
    , m_sound(new QCheckBox(tr("S&ound"), this))
    , m_refresh(new QTimer(this))
{
    setObjectName(QStringLiteral("AlarmsPane"));
    m_rules->setObjectName(QStringLiteral("AlarmRules"));
    m_active->setObjectName(QStringLiteral("ActiveAlarms"));
    m_events->setObjectName(QStringLiteral("AlarmEvents"));
    m_error->setObjectName(QStringLiteral("AlarmRuleError"));
    m_notify->setObjectName(QStringLiteral("AlarmNotify"));
    m_sound->setObjectName(QStringLiteral("AlarmSound"));
    m_rules->setHorizontalHeaderLabels({tr("On"), tr("Rule")});
    m_rules->horizontalHeader()->setStretchLastSection(true);
    m_rules->verticalHeader()->hide();
    m_active->setHorizontalHeaderLabels({tr("Channel"), tr("MHz"), tr("dBm"), tr("For (s)")});
    m_active->horizontalHeader()->setStretchLastSection(true);
    m_active->verticalHeader()->hide();
    m_active->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_error->setWordWrap(true);
    m_error->hide();
    m_refresh->setInterval(kRefreshInterval);

    auto *add = new QPushButton(tr("&Add"), this);
    add->setObjectName(QStringLiteral("AddAlarmRule"));
    auto *remove = new QPushButton(tr("&Remove"), this);
    remove->setObjectName(QStringLiteral("RemoveAlarmRule"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(m_notify);
    buttons->addWidget(m_sound);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Rules: ch=all|N|N-M,above=LEVEL[,for=D][,clear=LEVEL]"
                                    "[,clear-for=D]"),
                                 this));
    layout->addWidget(m_rules);
    layout->addWidget(m_error);
    layout->addLayout(buttons);
    layout->addWidget(new QLabel(tr("Raised now"), this));
    layout->addWidget(m_active);
    layout->addWidget(new QLabel(tr("Last events"), this));
    layout->addWidget(m_events);

    connect(add, &QPushButton::clicked, this, &AlarmsPane::addRule);
    connect(remove, &QPushButton::clicked, this, &AlarmsPane::removeRule);
    connectHandlers();
    showRules();
    for (const AlarmEvent &event : m_watch.events()) {
        addEvent(event);
    }
    showActive();
    m_refresh->start();
}

void AlarmsPane::connectHandlers()
{
    connect(m_rules, &QTableWidget::itemChanged, this, [this] {
        if (!m_showing) {
            applyRules();
        }
    });
    connect(&m_watch, &AlarmWatch::rulesChanged, this, &AlarmsPane::showRules);
    connect(&m_watch, &AlarmWatch::happened, this, [this](const AlarmEvent &event) {
        addEvent(event);
        showActive();
    });
    connect(m_refresh, &QTimer::timeout, this, &AlarmsPane::showActive);
    for (QCheckBox *box : {m_notify, m_sound}) {
        connect(box, &QCheckBox::toggled, this,
                [this] { Q_EMIT notifyChanged(notifies(), sounds()); });
    }
}

void AlarmsPane::setNotify(bool notify, bool sound)
{
    const QSignalBlocker notifyBlocker(m_notify);
    const QSignalBlocker soundBlocker(m_sound);
    m_notify->setChecked(notify);
    m_sound->setChecked(sound);
}

bool AlarmsPane::notifies() const
{
    return m_notify->isChecked();
}

bool AlarmsPane::sounds() const
{
    return m_sound->isChecked();
}

bool AlarmsPane::watches() const
{
    const QList<AlarmRuleEntry> &rules = m_watch.rules();
    return std::any_of(rules.cbegin(), rules.cend(),
                       [](const AlarmRuleEntry &rule) { return rule.enabled; });
}

void AlarmsPane::showRules()
{
    m_showing = true;
    const QList<AlarmRuleEntry> &rules = m_watch.rules();
    m_rules->setRowCount(static_cast<int>(rules.size()));
    for (int row = 0; row < rules.size(); ++row) {
        auto *on = new QTableWidgetItem;
        on->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        on->setCheckState(rules[row].enabled ? Qt::Checked : Qt::Unchecked);
        auto *text = new QTableWidgetItem(rules[row].text);
        if (rules[row].sessionOnly) {
            text->setToolTip(tr("From the command line: for this session only"));
        }
        m_rules->setItem(row, kOnColumn, on);
        m_rules->setItem(row, kRuleColumn, text);
    }
    m_showing = false;
}

void AlarmsPane::applyRules()
{
    QList<AlarmRuleEntry> rules = m_watch.rules();
    rules.resize(m_rules->rowCount());
    for (int row = 0; row < m_rules->rowCount(); ++row) {
        rules[row].text = m_rules->item(row, kRuleColumn)->text().trimmed();
        rules[row].enabled = m_rules->item(row, kOnColumn)->checkState() == Qt::Checked;
    }
    const QString error = m_watch.setRules(rules);
    m_error->setText(error);
    m_error->setVisible(!error.isEmpty());
    if (!error.isEmpty()) {
        showRules();
        return;
    }
    Q_EMIT rulesEdited();
}

void AlarmsPane::addRule()
{
    QList<AlarmRuleEntry> rules = m_watch.rules();
    rules.append({kNewRule, true, false});
    if (m_watch.setRules(rules).isEmpty()) {
        Q_EMIT rulesEdited();
        m_rules->editItem(m_rules->item(m_rules->rowCount() - 1, kRuleColumn));
    }
}

void AlarmsPane::removeRule()
{
    const int row = m_rules->currentRow();
    if (row < 0) {
        return;
    }
    QList<AlarmRuleEntry> rules = m_watch.rules();
    rules.removeAt(row);
    if (m_watch.setRules(rules).isEmpty()) {
        Q_EMIT rulesEdited();
    }
}

void AlarmsPane::showActive()
{
    const std::vector<AlarmEngine::Active> active = m_watch.active();
    m_active->setRowCount(static_cast<int>(active.size()));
    for (int row = 0; row < static_cast<int>(active.size()); ++row) {
        const AlarmEngine::Active &alarm = active[static_cast<std::size_t>(row)];
        const QStringList cells = {
            QString::number(channelplan::channelNumber(alarm.index)),
            record::channelMhz(alarm.index), QString::number(alarm.dbm),
            QString::number(static_cast<double>(m_watch.lastUtcMs() - alarm.sinceUtcMs) /
                                kMsPerSecond,
                            'f', 0)};
        for (int column = 0; column < cells.size(); ++column) {
            m_active->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
}

QString AlarmsPane::eventText(const AlarmEvent &event)
{
    const QString time = record::recordTime(event.utcMs);
    const int channel = channelplan::channelNumber(event.index);
    const QString mhz = record::channelMhz(event.index);
    const QString seconds =
        QString::number(static_cast<double>(event.durationMs.value_or(0)) / kMsPerSecond, 'f', 3);
    switch (event.kind) {
    case AlarmEvent::Kind::Raised:
        return tr("%1 channel %2 (%3 MHz) raised at %4 dBm (%5)")
            .arg(time)
            .arg(channel)
            .arg(mhz)
            .arg(event.dbm)
            .arg(event.rule);
    case AlarmEvent::Kind::Cleared:
        return tr("%1 channel %2 (%3 MHz) cleared at %4 dBm after %5 s, peak %6 dBm (%7)")
            .arg(time)
            .arg(channel)
            .arg(mhz)
            .arg(event.dbm)
            .arg(seconds)
            .arg(event.peakDbm)
            .arg(event.rule);
    case AlarmEvent::Kind::Ended:
        return tr("%1 channel %2 (%3 MHz) ended at %4 dBm after %5 s, peak %6 dBm: %7 (%8)")
            .arg(time)
            .arg(channel)
            .arg(mhz)
            .arg(event.dbm)
            .arg(seconds)
            .arg(event.peakDbm)
            .arg(event.reason, event.rule);
    }
    return {};
}

void AlarmsPane::addEvent(const AlarmEvent &event)
{
    m_events->insertItem(0, eventText(event));
    while (m_events->count() > static_cast<int>(AlarmWatch::kEventsKept)) {
        delete m_events->takeItem(m_events->count() - 1);
    }
}
