#pragma once

#include <QList>
#include <QObject>

class BackgroundRead;
class QProgressBar;
class QPushButton;

// The progress bar and the Cancel button of the history window's status bar: shown while any
// of the files it follows is being read; Cancel gives up on every one of them.
class LoadProgress : public QObject
{
    Q_OBJECT

public:
    explicit LoadProgress(QObject *parent = nullptr);

    void follow(BackgroundRead *read);
    [[nodiscard]] QProgressBar *bar() const { return m_bar; }
    [[nodiscard]] QPushButton *cancelButton() const { return m_cancel; }

private:
    void showState();
    void cancel();

    QList<BackgroundRead *> m_reads;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
};
