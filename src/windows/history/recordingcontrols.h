#pragma once

#include "windows/history/savepathchooser.h"

#include <QObject>

class QAction;
class QLabel;
class QWidget;
class Recorder;

// Recording the live sweeps from the history window: its two menu entries and its status
// line, which follow what the recorder reports.
class RecordingControls : public QObject
{
    Q_OBJECT

public:
    // The window is the file dialog's parent and holds the status line.
    RecordingControls(Recorder &recorder, SavePathChooser chooser, QWidget *window);

    [[nodiscard]] QAction *recordAction() const { return m_record; }
    [[nodiscard]] QAction *stopAction() const { return m_stop; }
    [[nodiscard]] QLabel *status() const { return m_status; }
    // The entries and the status line as the recorder stands now.
    void showState();

Q_SIGNALS:
    // A recording asked for did not start; the reason, to be shown.
    void failed(const QString &message);

private:
    void chooseFile();

    Recorder &m_recorder;
    SavePathChooser m_chooser;
    QWidget *m_window = nullptr;
    QAction *m_record = nullptr;
    QAction *m_stop = nullptr;
    QLabel *m_status = nullptr;
};
