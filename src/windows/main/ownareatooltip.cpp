#include "windows/main/ownareatooltip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

void OwnAreaToolTip::install(QWidget *frame)
{
    frame->installEventFilter(new OwnAreaToolTip(frame));
}

bool OwnAreaToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip) {
        return false;
    }
    const auto *frame = static_cast<QWidget *>(watched);
    const auto *help = static_cast<QHelpEvent *>(event);
    if (frame->childAt(help->pos()) == nullptr) {
        return false;
    }
    // Over a child without a tool tip of its own: none at all, and the search ends here.
    QToolTip::hideText();
    event->accept();
    return true;
}
