#pragma once

#include "engine/record/tracewriter.h"
#include "windows/history/savepathchooser.h"

#include <QObject>

#include <functional>

struct Baseline;
class ChannelStatistics;
class QIODevice;
class QImage;
class QMenu;
class QWidget;

// The files the history window makes of what it shows (File → Save waterfall image…, Export
// statistics, Export trace): each asks where to save, writes the file whole, and says why when
// it could not.
class ExportControls : public QObject
{
    Q_OBJECT

public:
    // What the window shows, read when an export is asked for.
    struct Shown
    {
        std::function<QImage()> waterfallImage;
        // Exact: without rows that have left the history since they were counted.
        std::function<const ChannelStatistics &()> statistics;
        // Null while there is none.
        std::function<const Baseline *()> baseline;
    };

    // The window is the file dialog's parent.
    ExportControls(Shown shown, SavePathChooser chooser, QWidget *window);

    // Adds the entries to the menu.
    void addTo(QMenu *menu);

Q_SIGNALS:
    // A file that could not be written; the reason, to be shown.
    void failed(const QString &message);

private:
    // One file: where to propose it and how to write it.
    struct Export
    {
        QString title;
        QString proposedPath;
        QString filter;
        // Writes the file at the path; the reason it could not, or empty.
        std::function<QString(const QString &path)> write;
    };

    void run(const Export &file);
    [[nodiscard]] Export waterfallImage() const;
    [[nodiscard]] Export statistics() const;
    [[nodiscard]] Export trace(TraceLevel level) const;
    [[nodiscard]] static Export csv(const QString &title,
                                    std::function<bool(QIODevice &device)> write);

    Shown m_shown;
    SavePathChooser m_chooser;
    QWidget *m_window = nullptr;
};
