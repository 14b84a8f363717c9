#pragma once

#include "engine/record/baseline.h"
#include "windows/history/savepathchooser.h"

#include <QObject>

#include <optional>

class BackgroundRead;
class HistoryStatistics;
class QAction;
class QWidget;

// Another survey set beside the history's figures (File → Compare with…): a recording or a
// summary written by kvt318-scan --summary, counted at the history's threshold. A day's
// recording takes a while to count, so it is read in the background.
class BaselineControls : public QObject
{
    Q_OBJECT

public:
    // The window is the file dialog's parent.
    BaselineControls(const HistoryStatistics &statistics, QWidget *window);

    [[nodiscard]] QAction *compareAction() const { return m_compare; }
    [[nodiscard]] QAction *clearAction() const { return m_clear; }
    // Null while there is none.
    [[nodiscard]] const Baseline *baseline() const { return m_baseline ? &*m_baseline : nullptr; }
    void setOpenPathChooser(SavePathChooser chooser) { m_chooser = std::move(chooser); }

    // Reads the file in the background and sets it beside the figures once read.
    void compareWith(const QString &path);
    void clear();
    [[nodiscard]] BackgroundRead *read() const { return m_read; }
    [[nodiscard]] bool isLoading() const;

Q_SIGNALS:
    void changed(const Baseline *baseline);
    // A file that could not be read as a baseline; the reason, to be shown.
    void failed(const QString &message);

private:
    void choose();
    void showRead(const record::BaselineRead &read);

    const HistoryStatistics &m_statistics;
    QWidget *m_window = nullptr;
    SavePathChooser m_chooser;
    BackgroundRead *m_read = nullptr;
    std::optional<Baseline> m_baseline;
    QAction *m_compare = nullptr;
    QAction *m_clear = nullptr;
};
