#pragma once

#include <QGroupBox>

namespace chart {

// Frame2: the frame around the chart. A press on the frame itself, with any button, is
// reported; presses on its child controls stay theirs.
class ChartFrame : public QGroupBox
{
    Q_OBJECT

public:
    explicit ChartFrame(QWidget *parent = nullptr);

Q_SIGNALS:
    void pressed();

protected:
    void childEvent(QChildEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace chart
