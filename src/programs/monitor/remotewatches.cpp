#include "programs/monitor/remotewatches.h"

#include "engine/remote/brokerconnection.h"
#include "engine/remote/remotebroker.h"
#include "programs/monitor/remotewatch.h"
#include "windows/history/historywindow.h"
#include "windows/remote/watchdialog.h"

#include <algorithm>

namespace {
bool sameBroker(const BrokerSettings &a, const BrokerSettings &b)
{
    return a.broker.host == b.broker.host && a.broker.port == b.broker.port &&
           a.broker.tls == b.broker.tls && a.caFile == b.caFile && a.user == b.user &&
           a.password == b.password;
}
} // namespace

RemoteWatches::RemoteWatches(const MonitorActions &actions,
                             std::function<QList<AlarmRuleEntry>()> rules, SavePathChooser chooser,
                             QObject *parent)
    : QObject(parent)
    , m_actions(actions)
    , m_rules(std::move(rules))
    , m_chooser(std::move(chooser))
{}

RemoteWatches::~RemoteWatches()
{
    m_dialog.reset();
    m_watches.clear();
}

WatchDialog &RemoteWatches::showDialog()
{
    if (m_dialog == nullptr) {
        m_dialog = std::make_unique<WatchDialog>(
            [this](const BrokerSettings &settings) { return brokerFor(settings); });
        m_dialog->setAttribute(Qt::WA_QuitOnClose, false);
        connect(m_dialog.get(), &WatchDialog::watchRequested, this,
                [this](const QString &name, const QString &prefix) {
                    if (m_dialog->broker()) {
                        watch(m_dialog->broker(), name, prefix);
                    }
                });
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    return *m_dialog;
}

void RemoteWatches::open(const QString &target)
{
    const qsizetype hash = target.indexOf(QLatin1Char('#'));
    WatchDialog &dialog = showDialog();
    dialog.connectTo(hash < 0 ? target : target.left(hash));
    if (hash >= 0 && dialog.broker()) {
        dialog.hide();
        watch(dialog.broker(), target.mid(hash + 1));
    }
}

RemoteWatch &RemoteWatches::watch(const std::shared_ptr<RemoteBroker> &broker,
                                  const QString &receiver, const QString &prefix)
{
    const auto open = std::find_if(m_watches.begin(), m_watches.end(), [&](const auto &held) {
        return held->broker() == broker && held->receiver() == receiver && held->prefix() == prefix;
    });
    RemoteWatch *watch = nullptr;
    if (open != m_watches.end()) {
        watch = open->get();
    } else {
        m_watches.push_back(std::make_unique<RemoteWatch>(broker, receiver, prefix, m_rules(),
                                                          m_actions, m_chooser));
        watch = m_watches.back().get();
        connect(watch, &RemoteWatch::closed, this, [this, watch] {
            // After the close event has been handled.
            QMetaObject::invokeMethod(
                this, [this, watch] { forget(watch); }, Qt::QueuedConnection);
        });
    }
    HistoryWindow &window = watch->window();
    window.show();
    window.raise();
    window.activateWindow();
    return *watch;
}

std::shared_ptr<RemoteBroker> RemoteWatches::brokerFor(const BrokerSettings &settings)
{
    m_brokers.erase(std::remove_if(m_brokers.begin(), m_brokers.end(),
                                   [](const auto &broker) { return broker.expired(); }),
                    m_brokers.end());
    for (const std::weak_ptr<RemoteBroker> &known : m_brokers) {
        std::shared_ptr<RemoteBroker> broker = known.lock();
        // A refusal is final for its connection: asking again tries anew.
        if (broker && broker->connection().state() != BrokerConnection::State::Refused &&
            sameBroker(broker->connection().settings(), settings)) {
            return broker;
        }
    }
    auto broker = std::make_shared<RemoteBroker>(settings);
    m_brokers.push_back(broker);
    return broker;
}

void RemoteWatches::forget(RemoteWatch *watch)
{
    m_watches.erase(std::remove_if(m_watches.begin(), m_watches.end(),
                                   [watch](const auto &held) { return held.get() == watch; }),
                    m_watches.end());
}
