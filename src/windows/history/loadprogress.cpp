#include "windows/history/loadprogress.h"

#include "engine/record/backgroundread.h"

#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int kPermille = 1000;
} // namespace

LoadProgress::LoadProgress(QObject *parent)
    : QObject(parent)
    , m_bar(new QProgressBar)
    , m_cancel(new QPushButton(tr("Cancel")))
{
    m_bar->setObjectName(QStringLiteral("loadProgress"));
    m_bar->setRange(0, kPermille);
    m_bar->setTextVisible(false);
    m_cancel->setObjectName(QStringLiteral("cancelLoad"));
    m_bar->hide();
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &LoadProgress::cancel);
}

void LoadProgress::follow(BackgroundRead *read)
{
    m_reads.append(read);
    connect(read, &BackgroundRead::started, this, [this] {
        m_bar->setValue(0);
        showState();
    });
    connect(read, &BackgroundRead::ended, this, &LoadProgress::showState);
    connect(read, &BackgroundRead::progressed, m_bar, &QProgressBar::setValue);
}

void LoadProgress::showState()
{
    const bool running = std::any_of(m_reads.cbegin(), m_reads.cend(),
                                     [](const BackgroundRead *read) { return read->isRunning(); });
    m_bar->setVisible(running);
    m_cancel->setVisible(running);
}

void LoadProgress::cancel()
{
    for (BackgroundRead *read : std::as_const(m_reads)) {
        read->cancel();
    }
}
