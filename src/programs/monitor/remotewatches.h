#pragma once

#include "engine/alarm/alarmwatch.h"
#include "windows/history/savepathchooser.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class MonitorActions;
class RemoteBroker;
class RemoteWatch;
class WatchDialog;
struct BrokerSettings;

// The scanners the monitor watches through brokers: the dialog that lists a broker's receivers,
// one window per receiver watched (several at once, a second request raising the one open),
// and one connection per broker, shared by the dialog and the windows and closed when none of
// them needs it any more.
class RemoteWatches : public QObject
{
    Q_OBJECT

public:
    // rules: the monitor's alarm rules, which each new window starts with.
    RemoteWatches(const MonitorActions &actions, std::function<QList<AlarmRuleEntry>()> rules,
                  SavePathChooser chooser, QObject *parent = nullptr);
    ~RemoteWatches() override;
    RemoteWatches(const RemoteWatches &) = delete;
    RemoteWatches &operator=(const RemoteWatches &) = delete;

    // Opens the dialog, or raises it.
    WatchDialog &showDialog();
    // "URL" opens the dialog connected to the broker; "URL#RECEIVER" that receiver's window.
    void open(const QString &target);
    // Opens the receiver's window, or raises it; prefix: its topics, when known.
    RemoteWatch &watch(const std::shared_ptr<RemoteBroker> &broker, const QString &receiver,
                       const QString &prefix = {});
    [[nodiscard]] std::shared_ptr<RemoteBroker> brokerFor(const BrokerSettings &settings);

    [[nodiscard]] const std::vector<std::unique_ptr<RemoteWatch>> &watches() const
    {
        return m_watches;
    }
    [[nodiscard]] WatchDialog *dialog() const { return m_dialog.get(); }

private:
    void forget(RemoteWatch *watch);

    const MonitorActions &m_actions;
    std::function<QList<AlarmRuleEntry>()> m_rules;
    SavePathChooser m_chooser;
    std::vector<std::weak_ptr<RemoteBroker>> m_brokers;
    std::vector<std::unique_ptr<RemoteWatch>> m_watches;
    std::unique_ptr<WatchDialog> m_dialog;
};
