#include "windows/main/chartframe.h"

#include <QChildEvent>
#include <QMouseEvent>

namespace chart {

ChartFrame::ChartFrame(QWidget *parent)
    : QGroupBox(parent)
{}

void ChartFrame::childEvent(QChildEvent *event)
{
    // Qt hands a press that a label or a check box ignores on to its parent; on this frame
    // that would turn the cursor off from a click on the read-out or an axis label.
    if (event->added() && event->child()->isWidgetType()) {
        static_cast<QWidget *>(event->child())->setAttribute(Qt::WA_NoMousePropagation);
    }
    QGroupBox::childEvent(event);
}

void ChartFrame::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT pressed();
}

} // namespace chart
