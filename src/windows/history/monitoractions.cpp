#include "windows/history/monitoractions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace {

QAction *makeAction(QObject *owner, const QString &name, const QString &text,
                    const QKeySequence &shortcut)
{
    auto *action = new QAction(text, owner);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

} // namespace

MonitorActions::MonitorActions(QObject *parent)
    : QObject(parent)
    , showHistory(makeAction(this, QStringLiteral("showHistory"), tr("&History"),
                             QKeySequence(Qt::CTRL | Qt::Key_H)))
    , saveChartImage(makeAction(this, QStringLiteral("saveChartImage"), tr("Save &chart image…"),
                                QKeySequence(Qt::CTRL | Qt::Key_S)))
    , resetMaxHold(makeAction(this, QStringLiteral("resetMaxHold"), tr("&Reset max hold"),
                              QKeySequence(Qt::CTRL | Qt::Key_R)))
    , showHelp(
          makeAction(this, QStringLiteral("showHelp"), tr("&Shortcuts"), QKeySequence(Qt::Key_F1)))
    , watchRemote(makeAction(this, QStringLiteral("watchRemote"), tr("&Watch a remote scanner…"),
                             QKeySequence()))
{}

void MonitorActions::attachTo(QWidget *window) const
{
    window->addActions({showHistory, saveChartImage, resetMaxHold, showHelp});
}
