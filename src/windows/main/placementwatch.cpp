#include "windows/main/placementwatch.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

PlacementWatch::PlacementWatch(QWindow *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_still(new QTimer(this))
{
    m_still->setSingleShot(true);
    m_still->setInterval(kStillTime);
    connect(m_still, &QTimer::timeout, this, &PlacementWatch::finish);
    m_window->installEventFilter(this);
}

bool PlacementWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Expose && m_window->isExposed()) {
            m_exposed = true;
            m_still->start();
        } else if (event->type() == QEvent::Move && m_exposed) {
            m_still->start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlacementWatch::finish()
{
    m_window->removeEventFilter(this);
    Q_EMIT placed();
}
