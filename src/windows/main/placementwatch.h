#pragma once

#include <QObject>

#include <chrono>

class QTimer;
class QWindow;

// Tells, once, when the window system has placed a newly shown window. Window managers map,
// frame and place a window in different orders and none says when it is done, so the window
// counts as placed once it has been exposed and has then kept still for a moment. A frame
// arriving shifts the window too, so its margins are known by then. Without a window manager,
// the exposure is all that comes.
class PlacementWatch final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kStillTime{200};

    // Watches `window`, which is about to be shown.
    explicit PlacementWatch(QWindow *window, QObject *parent = nullptr);

Q_SIGNALS:
    void placed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    QWindow *m_window = nullptr;
    QTimer *m_still = nullptr;
    bool m_exposed = false;
};
