#pragma once

#include "engine/plan/planreasons.h"
#include "windows/history/savepathchooser.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class ChannelStatistics;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The Plan view of the history window: the best channels for the figures the window shows (its
// span and hours), under the constraints typed in, with every channel's verdict and reason,
// exported as CSV. A field that cannot be read is refused with the reason and nothing is
// searched. The search runs beside the window so that a large request never stalls it.
class PlanPane : public QWidget
{
    Q_OBJECT

public:
    using Statistics = std::function<const ChannelStatistics &()>;

    PlanPane(Statistics statistics, SavePathChooser chooser, QWidget *parent = nullptr);

    // The last plan made; nothing before the first.
    [[nodiscard]] const std::optional<PlanReport> &report() const { return m_report; }
    // The figures the last plan was made for.
    [[nodiscard]] const PlanSurvey &survey() const { return m_survey; }

Q_SIGNALS:
    // Channel indices of the plan just made.
    void planned(const QList<int> &indices);
    void failed(const QString &message);

private:
    void plan();
    void showReport();
    void exportCsv();
    [[nodiscard]] std::optional<PlanConstraints> constraints(QString *error) const;

    Statistics m_statistics;
    SavePathChooser m_chooser;
    QSpinBox *m_size = nullptr;
    QLineEdit *m_allowed = nullptr;
    QLineEdit *m_avoided = nullptr;
    QLineEdit *m_fixed = nullptr;
    QSpinBox *m_spacing = nullptr;
    QComboBox *m_products = nullptr;
    QSpinBox *m_guard = nullptr;
    QLineEdit *m_strong = nullptr;
    QSpinBox *m_spares = nullptr;
    QPushButton *m_planButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QLabel *m_result = nullptr;
    QTableWidget *m_table = nullptr;
    std::optional<PlanReport> m_report;
    PlanSurvey m_survey{};
};
