#include "windows/history/hoursbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

HoursBox::HoursBox(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit)
    , m_error(new QLabel)
{
    m_edit->setObjectName(QStringLiteral("hours"));
    m_edit->setAccessibleName(tr("Hours"));
    m_edit->setPlaceholderText(tr("every hour"));
    m_edit->setClearButtonEnabled(true);
    m_edit->setToolTip(
        tr("Only readings in these hours of local time count, in every view and export.\n"
           "Days, then a time span; several separated by ';', e.g.\n"
           "Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00\n"
           "A span whose end is before its start runs past midnight. Empty: every hour."));
    m_error->setObjectName(QStringLiteral("hoursError"));
    QPalette warning = m_error->palette();
    warning.setColor(QPalette::WindowText, QColor(Qt::darkRed));
    m_error->setPalette(warning);
    m_error->setWordWrap(true);
    m_error->hide();
    auto *label = new QLabel(tr("Hou&rs:"));
    label->setBuddy(m_edit);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    row->addWidget(m_error, 1);

    connect(m_edit, &QLineEdit::editingFinished, this, &HoursBox::apply);
}

void HoursBox::apply()
{
    QString error;
    const std::optional<HourWindows> parsed = HourWindows::parse(m_edit->text(), &error);
    m_error->setText(error);
    m_error->setVisible(!parsed);
    m_edit->setAccessibleDescription(error);
    if (!parsed || *parsed == m_hours) {
        return;
    }
    m_hours = *parsed;
    Q_EMIT changed(m_hours);
}
