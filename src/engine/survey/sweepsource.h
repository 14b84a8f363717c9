#pragma once

#include "core/radiomode.h"

#include <QObject>
#include <QString>

#include <optional>

struct Reading;
struct SweepRecord;

// Why a source stopped giving sweeps; the program turns it into its exit status and a line.
struct SourceEnd
{
    enum class Kind {
        // It reached its end, or was stopped.
        Done,
        // The port or file cannot be opened.
        CannotOpen,
        // No module that it understands answered.
        NotUnderstood,
        // The port failed or the module stopped answering.
        Failed,
    };

    Kind kind = Kind::Done;
    // For the user; empty when there is nothing to say.
    QString message;
};

// Where a survey's readings come from: a module on a port, or a recording read back. A source
// gives readings (which the run gathers into sweeps) or whole sweeps, says where a run of them
// starts and where it breaks, and why it stopped.
class SweepSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void start() = 0;
    // Ends cleanly: ended() follows with Done unless it had ended already.
    virtual void stop() = 0;
    // The mode of the sweeps so far, when known.
    [[nodiscard]] virtual std::optional<RadioMode> mode() const = 0;
    // What alarms still raised at a clean end are ended with.
    [[nodiscard]] virtual QString endReason() const = 0;

Q_SIGNALS:
    // Sweeps come from here on: the first time, after a reconnect or after a break.
    void runStarted();
    // The module said what it is, just before runStarted() (a port only, at every reopen too).
    void moduleIdentified(const QString &model, const QString &firmware);
    // Nothing is known of what comes until the next runStarted(): why, in a line.
    void runBroken(const QString &reason);
    void reading(const Reading &reading);
    void sweep(const SweepRecord &sweep);
    // A line for the user.
    void said(const QString &line);
    void ended(const SourceEnd &end);
};
