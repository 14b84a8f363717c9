#pragma once

#include <QWidget>

class AlarmEventKeeper;
class AlarmWatch;
class QCheckBox;
class QLabel;
class QListWidget;
class QTableWidget;
class QTimer;
struct AlarmEvent;

// The Alarms pane of the history window: the rules (added, removed, edited and switched on and
// off in place; a rule that cannot be read is refused with the reason and the rules stay as
// they were), the alarms raised now with their level and how long they have lasted, and the
// last events. Whether a raise notifies and sounds is the user's to tick. It hands the window's
// report the program's log of the events, when it keeps one.
class AlarmsPane : public QWidget
{
    Q_OBJECT

public:
    explicit AlarmsPane(AlarmWatch &watch, const AlarmEventKeeper *kept = nullptr,
                        QWidget *parent = nullptr);

    void setNotify(bool notify, bool sound);
    [[nodiscard]] bool notifies() const;
    [[nodiscard]] bool sounds() const;
    // Whether a rule is switched on.
    [[nodiscard]] bool watches() const;
    [[nodiscard]] const AlarmEventKeeper *keptEvents() const { return m_kept; }

Q_SIGNALS:
    // The rules were changed in the pane and applied.
    void rulesEdited();
    void notifyChanged(bool notify, bool sound);

private:
    void connectHandlers();
    void showRules();
    void applyRules();
    void addRule();
    void removeRule();
    void showActive();
    void addEvent(const AlarmEvent &event);
    [[nodiscard]] static QString eventText(const AlarmEvent &event);

    AlarmWatch &m_watch;
    const AlarmEventKeeper *m_kept = nullptr;
    QTableWidget *m_rules = nullptr;
    QLabel *m_error = nullptr;
    QTableWidget *m_active = nullptr;
    QListWidget *m_events = nullptr;
    QCheckBox *m_notify = nullptr;
    QCheckBox *m_sound = nullptr;
    QTimer *m_refresh = nullptr;
    bool m_showing = false;
};
