#pragma once

#include <QAbstractScrollArea>
#include <QImage>

class SweepHistory;

// The waterfall of the held sweeps, newest at the top. At the top it follows new sweeps; once
// scrolled back it keeps the same sweeps in view while new ones arrive.
class WaterfallView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit WaterfallView(const SweepHistory &history, QWidget *parent = nullptr);

    // The waterfall as it is shown, at the view's current size.
    [[nodiscard]] QImage image() const;
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void rowAdded();
    void updateScrollRange();
    void paintOn(QPainter &painter) const;

    const SweepHistory &m_history;
};
