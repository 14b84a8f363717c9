#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QSet>

#include <optional>
#include <utility>

class SweepHistory;
class SweepRows;

// The waterfall of the held sweeps, newest at the top. At the top it follows new sweeps; once
// scrolled back it keeps the same sweeps in view while new ones arrive. Dragging across it
// selects a span of rows; Esc or a click without a drag clears it.
class WaterfallView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // The rows' ages, newest and oldest, both included.
    using Span = std::pair<int, int>;

    explicit WaterfallView(const SweepHistory &history, QWidget *parent = nullptr);

    // Shows these rows instead of the live history; nullptr goes back to it.
    void setRows(const SweepRows *rows);
    void setClock(Qt::TimeSpec clock);
    void setPlaceholder(const QString &text);
    // Times of the live history's sweeps that raised an alarm, marked on the time axis.
    void setAlarmTimes(const QSet<qint64> &utcMs);
    [[nodiscard]] const std::optional<Span> &selection() const { return m_selection; }
    void clearSelection();
    // The y in the viewport of the top of a row, for a row in view.
    [[nodiscard]] int rowY(int age) const;

    // The waterfall as it is shown at the view's current size, or the selected rows only.
    [[nodiscard]] QImage image() const;
    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rowAdded();
    void updateScrollRange();
    void paintOn(QPainter &painter, const QRect &area, int firstAge) const;
    void paintAlarmTimes(QPainter &painter) const;
    [[nodiscard]] const SweepRows &rows() const;
    [[nodiscard]] int ageAt(int y) const;

    const SweepHistory &m_history;
    const SweepRows *m_rows = nullptr;
    Qt::TimeSpec m_clock = Qt::LocalTime;
    QString m_placeholder;
    std::optional<Span> m_selection;
    QSet<qint64> m_alarmTimes;
    std::optional<int> m_dragFrom;
};
