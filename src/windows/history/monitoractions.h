#pragma once

#include <QObject>

class QAction;
class QWidget;

// The actions the monitor offers beside its window, each with its keyboard shortcut. Added to
// a window they answer its shortcut there without showing anything; the history window also
// puts them in its menus.
class MonitorActions : public QObject
{
    Q_OBJECT

public:
    explicit MonitorActions(QObject *parent = nullptr);

    // Adds every action to the window, so that their shortcuts work while it is active.
    void attachTo(QWidget *window) const;

    QAction *showHistory = nullptr;    // Ctrl+H
    QAction *saveChartImage = nullptr; // Ctrl+S
    QAction *resetMaxHold = nullptr;   // Ctrl+R
    QAction *showHelp = nullptr;       // F1
    QAction *watchRemote = nullptr;    // File → Watch a remote scanner…
};
