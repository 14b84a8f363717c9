#pragma once

#include "windows/history/savepathchooser.h"

#include <QObject>

#include <memory>
#include <optional>
#include <utility>

class BackgroundRead;
class ChannelStatistics;
class QAction;
class QComboBox;
class QLabel;
class QWidget;
class RecordingRows;
class SweepHistory;
class SweepRows;
struct RecordingRead;

// What the history window shows: the live history or a recording opened again (File → Open
// recording…), read in the background.
class HistorySource : public QObject
{
    Q_OBJECT

public:
    // The window is the file dialog's parent; it places the chooser and the status label, and
    // shows the read's progress.
    HistorySource(const SweepHistory &history, QWidget *window);
    ~HistorySource() override;
    HistorySource(const HistorySource &) = delete;
    HistorySource &operator=(const HistorySource &) = delete;

    [[nodiscard]] QComboBox *chooser() const { return m_chooser; }
    [[nodiscard]] QAction *openAction() const { return m_open; }
    [[nodiscard]] QLabel *status() const { return m_status; }
    [[nodiscard]] BackgroundRead *read() const { return m_read; }
    void setOpenPathChooser(SavePathChooser chooser) { m_openChooser = std::move(chooser); }

    // Reads the recording in the background and shows it once read.
    void open(const QString &path);
    [[nodiscard]] bool isLoading() const;
    [[nodiscard]] bool showsLive() const;
    [[nodiscard]] const SweepRows &rows() const;
    // The opened recording's rows while they are shown, else null.
    [[nodiscard]] const SweepRows *openedRows() const;
    // Adds the shown rows from the newest to the oldest age, both included, or the whole
    // opened recording when there is no span; the number of sweeps added.
    int count(ChannelStatistics &statistics, const std::optional<std::pair<int, int>> &span) const;
    // The opened recording's file and the receiver its records name, while it is shown; else
    // empty.
    [[nodiscard]] QString openedPath() const;
    [[nodiscard]] QString openedReceiver() const;
    // The opened recording's name, times and size in the status bar, while it is shown.
    void showStatus(Qt::TimeSpec clock);

Q_SIGNALS:
    // The other source is chosen, or the shown recording replaced.
    void changed();
    // A recording that could not be read; the reason, to be shown.
    void failed(const QString &message);

private:
    void chooseRecording();
    void showLoaded(const QString &path, const std::shared_ptr<RecordingRead> &read);

    const SweepHistory &m_history;
    QWidget *m_window = nullptr;
    SavePathChooser m_openChooser;
    BackgroundRead *m_read = nullptr;
    std::unique_ptr<RecordingRows> m_opened;
    QString m_openedPath;
    QComboBox *m_chooser = nullptr;
    QAction *m_open = nullptr;
    QLabel *m_status = nullptr;
};
