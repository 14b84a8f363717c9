#pragma once

#include "engine/survey/sweepsource.h"

#include <QSet>

class BrokerConnection;
class ReceiverDirectory;
struct AlarmEvent;

// A scanner watched through the broker as the source of a survey: the sweeps it publishes, as
// they arrive. Chosen from the list, it is the receiver under that prefix; named only, it is
// found in the directory (and, until it is listed, under the default prefix kvt318/NAME), so
// it can be watched before it is first seen. A run breaks
// where the broker is lost, the receiver goes offline or starts numbering its sweeps anew;
// a sweep the broker delivers twice is taken once. It only listens.
class RemoteSource : public SweepSource
{
    Q_OBJECT

public:
    // prefix: the receiver's topics when known, else empty.
    RemoteSource(BrokerConnection &connection, ReceiverDirectory &directory, QString name,
                 QString prefix, QObject *parent = nullptr);

    void start() override;
    void stop() override;
    [[nodiscard]] std::optional<RadioMode> mode() const override { return m_mode; }
    [[nodiscard]] QString endReason() const override;

    [[nodiscard]] const QString &name() const { return m_name; }
    // Messages on its topics that could not be read, and what was wrong with the last one
    // (said() tells of each).
    [[nodiscard]] qint64 unreadable() const { return m_unreadable; }
    [[nodiscard]] const QString &lastProblem() const { return m_lastProblem; }

Q_SIGNALS:
    // An alarm event the scanner published.
    void alarm(const AlarmEvent &event);

private:
    void follow();
    void take(const QByteArray &topic, const QByteArray &payload);
    void takeSweep(const QString &prefix, const QByteArray &payload);
    void breakRun(const QString &reason);
    void refuse(const QByteArray &topic, const QString &problem);
    void showReceiver(int index);

    BrokerConnection &m_connection;
    ReceiverDirectory &m_directory;
    QString m_name;
    // Empty: every prefix the name is known under.
    QString m_fixedPrefix;
    QSet<QString> m_prefixes;
    bool m_started = false;
    bool m_inRun = false;
    bool m_ended = false;
    qint64 m_lastUtcMs = 0;
    qint64 m_lastSweep = 0;
    qint64 m_unreadable = 0;
    QString m_lastProblem;
    std::optional<RadioMode> m_mode;
};
