#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

// A scanner as the broker's retained status and info topics name it.
struct RemoteReceiver
{
    // The topics' prefix: PREFIX/status, PREFIX/sweep, …
    QString prefix;
    // The info's receiver, or the prefix's last level where a scanner publishes no info.
    QString name;
    bool online = false;
    // When it was last heard of (a message arriving now, or the time its info was published);
    // 0 when not known.
    qint64 lastSeenUtcMs = 0;
    QString model;
    QString firmware;
    QString mode;
    // From its info, else from two of its statistics in a row.
    std::optional<double> sweepsPerSecond;
    bool rateFromInfo = false;
    // The sweeps and time of its last statistics.
    qint64 statsSweeps = 0;
    qint64 statsUtcMs = 0;
};

// The receivers a broker knows of, in the order they became known. Scanners publish their
// status (online, or offline as their last will), their info and their statistics retained
// under their prefix, which may have one to three levels; the statistics' time says when a
// scanner without info was last heard of.
class ReceiverDirectory : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The patterns that find every scanner.
    static std::vector<QByteArray> discoveryPatterns();

    // A message from the broker; those that are not a status or an info are passed over.
    // nowUtcMs: when it arrived.
    void take(const QByteArray &topic, const QByteArray &payload, bool retained, qint64 nowUtcMs);
    // Something else was heard from the receiver under prefix (a sweep): it was there then.
    void heardFrom(const QString &prefix, qint64 utcMs);

    [[nodiscard]] const std::vector<RemoteReceiver> &receivers() const { return m_receivers; }
    // The receiver of that name (under that prefix, when one is given), else -1; with several
    // of one name, the one online.
    [[nodiscard]] int find(const QString &name, const QString &prefix = {}) const;

Q_SIGNALS:
    void added(int index);
    void changed(int index);

private:
    int at(const QString &prefix);
    void takeInfo(int index, const QByteArray &payload);
    void takeStats(int index, const QByteArray &payload);

    std::vector<RemoteReceiver> m_receivers;
};
