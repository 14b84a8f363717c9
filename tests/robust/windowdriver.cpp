#include "windowdriver.h"

#include "processusage.h"
#include "protocol/monitorsession.h"
#include "protocol/seriallink.h"
#include "protocol/texts.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

WindowDriver::WindowDriver()
{
    MainWindowServices services;
    services.settingsPath = m_dir.filePath(QStringLiteral("monitor.ini"));
    m_window = std::make_unique<MainWindow>(std::move(services));
}

WindowDriver::~WindowDriver() = default;

QLineEdit &WindowDriver::sendBox() const
{
    return *m_window->controls().send;
}

QLineEdit &WindowDriver::receivedBox() const
{
    return *m_window->controls().rxDataDisp;
}

void WindowDriver::setPort(const QString &device) const
{
    m_window->controls().comPort->setText(device);
}

void WindowDriver::clickStartStop() const
{
    m_window->controls().command1->click();
}

QString WindowDriver::caption() const
{
    return m_window->controls().command1->text();
}

QString WindowDriver::message() const
{
    return m_window->controls().message->text();
}

bool WindowDriver::isIdle() const
{
    const FormControls &c = m_window->controls();
    return caption() == texts::buttonStopped() && !m_window->link().isOpen() &&
           c.comPort->isEnabled() && c.comSelectSW->isEnabled() && c.aveN->isEnabled() &&
           !m_window->session().startStepTimer()->isActive();
}

bool WindowDriver::runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    constexpr std::chrono::milliseconds kLookInterval{5};
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer look;
    look.setInterval(kLookInterval);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return done();
}

double WindowDriver::cpuShareOver(std::chrono::milliseconds span)
{
    QElapsedTimer wall;
    wall.start();
    const std::chrono::microseconds before = processusage::cpuTime();
    QTest::qWait(static_cast<int>(span.count()));
    const auto used = processusage::cpuTime() - before;
    const auto elapsed = std::chrono::nanoseconds(wall.nsecsElapsed());
    return std::chrono::duration<double>(used) / std::chrono::duration<double>(elapsed);
}
