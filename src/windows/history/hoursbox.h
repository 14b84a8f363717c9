#pragma once

#include "engine/occupancy/hourwindows.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// The hours of the week that count, typed as kvt318-scan's --hours takes them
// ("Mon-Fri 08:00-18:00; Sat 09:00-13:00"); empty, every reading counts. An entry that cannot
// be read shows why beside the box and changes nothing.
class HoursBox : public QWidget
{
    Q_OBJECT

public:
    explicit HoursBox(QWidget *parent = nullptr);

    [[nodiscard]] const HourWindows &hours() const { return m_hours; }
    [[nodiscard]] QLineEdit *edit() const { return m_edit; }

Q_SIGNALS:
    // Other hours were entered.
    void changed(const HourWindows &hours);

private:
    void apply();

    HourWindows m_hours = HourWindows::always();
    QLineEdit *m_edit = nullptr;
    QLabel *m_error = nullptr;
};
