#include "windows/main/mainwindow.h"

#include "core/channelplan.h"
#include "core/designsizes.h"
#include "core/twips.h"
#include "engine/port/portdiscovery.h"
#include "engine/port/serialportprobe.h"
#include "engine/port/systemportsource.h"
#include "engine/protocol/sweepengine.h"
#include "engine/protocol/timerresolution.h"
#include "painters/cursorreadout.h"
#include "windows/main/captions.h"
#include "windows/main/chartframe.h"
#include "windows/main/colorswatch.h"
#include "windows/main/outersize.h"
#include "windows/main/placementwatch.h"
#include "windows/main/portselectionpanel.h"
#include "windows/main/settingsfile.h"
#include "windows/main/startup.h"
#include "windows/main/windowicon.h"
#include "windows/main/windowlayout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstddef>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kRefreshInterval{300};

std::size_t slot(int index)
{
    return static_cast<std::size_t>(index);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, colour);
    widget->setPalette(colours);
}

} // namespace

MainWindow::MainWindow(SweepEngine &engine, Services services, QWidget *parent)
    : QWidget(parent)
    , m_engine(engine)
    , m_settings(std::make_unique<SettingsFile>(
          services.settingsPath.isEmpty() ? SettingsFile::defaultPath() : services.settingsPath))
{
    m_controls = buildFormControls(this, [this] { return chartContent(); });
    if (!services.portSource) {
        services.portSource = std::make_unique<SystemPortSource>();
    }
    if (!services.portProbe) {
        services.portProbe = std::make_unique<SerialPortProbe>();
    }
    m_portPanel = new PortSelectionPanel(
        m_controls.comPortList, m_controls.comPort, m_controls.frame1,
        PortDiscovery(std::move(services.portSource), std::move(services.portProbe)), this);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kRefreshInterval);

    Form_Load();
    connectHandlers();
    connectEngine();
    m_timer1->start();
}

MainWindow::~MainWindow()
{
    // The unload after the close request: the port is closed by now, the file written again.
    shutdown();
}

void MainWindow::connectHandlers()
{
    const FormControls &c = m_controls;
    connect(m_timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(c.command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(c.comSelectSW, &QPushButton::clicked, m_portPanel, &PortSelectionPanel::toggle);
    connect(c.picture1, &chart::ChartView::pressed, this, &MainWindow::Picture1_MouseDown);
    connect(c.frame2, &chart::ChartFrame::pressed, this, &MainWindow::Frame2_MouseDown);
    for (int k = 1; k <= static_cast<int>(kSwatchCount); ++k) {
        connect(c.colorSet.at(slot(k)), &chart::ColorSwatch::clicked, this,
                [this, k] { Color_Set_Click(k); });
    }
    // A box ticked or cleared by hand changes how the following replies are read.
    for (const RadioMode mode : kRadioModes) {
        connect(c.check1.at(slot(static_cast<int>(mode))), &QCheckBox::clicked, this,
                [this, mode](bool checked) { m_engine.setMode(mode, checked); });
    }
    connect(c.check2, &QCheckBox::toggled, this,
            [this](bool checked) { m_engine.setCursorOnly(checked); });
}

void MainWindow::connectEngine()
{
    SweepEngine *engine = &m_engine;
    connect(engine, &SweepEngine::runStarted, this, &MainWindow::showRunStarted);
    connect(engine, &SweepEngine::started, this, &MainWindow::showSweepStarted);
    connect(engine, &SweepEngine::stopped, this, &MainWindow::showStopped);
    connect(engine, &SweepEngine::modesChanged, this, &MainWindow::showModes);
    // The marker, Send and RxDataDisp are shown at the next refresh tick: a widget moved or
    // a box set for every reading would be laid out and painted well over a hundred times a
    // second, for a refresh three times a second.
    connect(engine, &SweepEngine::readingStored, this,
            [this](const Reading &reading) { m_measuredIndex = reading.index; });
    connect(engine, &SweepEngine::commandSent, this,
            [this](const QString &command) { m_sent = command; });
}

void MainWindow::Form_Load()
{
    setWindowTitle(startup::windowTitle());
    setWindowIcon(windowicon::make());
    resize(twips::toPixels(QSize(designsizes::kStartWidth, designsizes::kStartHeight)));
    timerresolution::request();
    m_controls.message->clear();
    m_portPanel->hide();

    for (std::size_t k = 0; k < kSwatchCount; ++k) {
        m_colorNo.at(k + 1) = palette::kInitialColorNo.at(k);
        applySwatchColour(static_cast<int>(k) + 1);
    }
    setMarkerColour(palette::kColorTable.at(slot(palette::kMarkerInitialColorNo)));

    for (std::size_t i = 0; i < m_controls.chLabel.size(); ++i) {
        const int index = static_cast<int>(i) * chart::kChannelLabelStep;
        m_controls.chLabel.at(i)->setText(QString::number(channelplan::channelNumber(index)));
    }
    LoadSettings();
}

void MainWindow::LoadSettings()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenTwips =
        screen != nullptr ? twips::fromPixels(screen->size()) : outerSizeTwips();
    const StoredSettings stored = m_settings->load(screenTwips, outerSizeTwips());
    if (stored.top && stored.left) {
        move(twips::toPixels(*stored.left), twips::toPixels(*stored.top));
    } else if (stored.top || stored.left) {
        // The other coordinate is the window system's, known only once it has placed the window.
        if (stored.left) {
            m_storedLeft = twips::toPixels(*stored.left);
        }
        if (stored.top) {
            m_storedTop = twips::toPixels(*stored.top);
        }
    }
    if (stored.comPort) {
        m_controls.comPort->setText(*stored.comPort);
    }
}

void MainWindow::SaveSettings()
{
    // A stored coordinate not yet applied is still the one to keep.
    m_settings->save(twips::fromPixels(m_storedTop.value_or(y())),
                     twips::fromPixels(m_storedLeft.value_or(x())), m_controls.comPort->text());
}

void MainWindow::shutdown()
{
    timerresolution::release();
    m_engine.stop();
    SaveSettings();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    shutdown();
    event->accept();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placementWatch == nullptr) {
        // The window system frames and places the window only after this event.
        m_placementWatch = new PlacementWatch(windowHandle(), this);
        connect(m_placementWatch, &PlacementWatch::placed, this, &MainWindow::finishPlacement);
    }
    settleOuterSize();
    followOuterSize();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    settleOuterSize();
    followOuterSize();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    settleOuterSize();
    Form_Resize();
}

// A window manager adds its frame only after the window is shown, and its margins may become
// known in parts; the start-up size is an outer size, so it is set again whenever they change
// until the window is placed.
void MainWindow::settleOuterSize()
{
    if (m_outerSizeSettled || !isVisible() || windowHandle() == nullptr) {
        return;
    }
    const QMargins frame = windowHandle()->frameMargins();
    if (frame == m_settledFrame) {
        return;
    }
    const std::optional<QSize> client = outersize::settledClientSize(
        twips::toPixels(QSize(designsizes::kStartWidth, designsizes::kStartHeight)), frame);
    if (client) {
        m_settledFrame = frame;
        resize(*client);
    }
}

void MainWindow::finishPlacement()
{
    settleOuterSize();
    // From now on the size is the user's.
    m_outerSizeSettled = true;
    applyStoredCoordinate();
}

// The layout follows the outer size, which also changes when a frame arrives around an
// unchanged client area.
void MainWindow::followOuterSize()
{
    if (outerSizeTwips() != m_laidOutFor) {
        Form_Resize();
    }
}

void MainWindow::applyStoredCoordinate()
{
    if (!m_storedLeft && !m_storedTop) {
        return;
    }
    move(m_storedLeft.value_or(x()), m_storedTop.value_or(y()));
    m_storedLeft.reset();
    m_storedTop.reset();
}

QSize MainWindow::outerSizeTwips() const
{
    return twips::fromPixels(frameGeometry().size());
}

void MainWindow::Form_Resize()
{
    windowlayout::Input input;
    m_laidOutFor = outerSizeTwips();
    input.outerSize = m_laidOutFor;
    input.channelIndex = m_engine.monitorState().channelIndex;
    const windowlayout::Layout layout = windowlayout::compute(input);

    const FormControls &c = m_controls;
    c.frame2->resize(twips::toPixels(layout.frame2Size.toSize()));
    c.picture1->setSizeTwips(layout.picture1Size);
    for (std::size_t i = 0; i < c.chLabel.size(); ++i) {
        const QPointF place = layout.chLabelPos.at(i);
        c.chLabel.at(i)->move(twips::toPixels(place.x()), twips::toPixels(place.y()));
    }
    for (std::size_t i = 0; i < c.rssiLabel.size(); ++i) {
        QLabel *label = c.rssiLabel.at(i);
        label->move(label->x(), twips::toPixels(layout.rssiLabelTop.at(i)));
    }
    c.picture1->blankWith(c.colorSet.at(1)->color());
    const QRectF marker = layout.picture2;
    c.picture2->setGeometry(twips::toPixels(marker.left()), twips::toPixels(marker.top()),
                            twips::toPixels(marker.width()), c.picture2->height());
    c.sweepTrack->setGeometry(c.picture1->x(), c.picture2->y(), c.picture1->width(),
                              c.picture2->height());
}

void MainWindow::Timer1_Timer()
{
    m_controls.picture1->refresh();
    m_controls.cursolRssiChText->setText(chart::cursorReadout(m_engine.monitorState()));
    showLatestTraffic();
    moveSweepMarker();
    if (std::exchange(m_stopRequested, false)) {
        m_controls.message->clear();
        m_engine.completeStopRequest();
    }
}

void MainWindow::Command1_Click()
{
    m_portPanel->hide();
    if (m_engine.state() != SweepEngine::State::Idle) {
        // The next refresh tick closes the port; until then no new channel is asked for.
        m_stopRequested = true;
        m_engine.requestStop();
        return;
    }
    m_stopRequested = false;
    SweepOptions options;
    options.sampleCount = m_controls.aveN->text();
    options.cursorOnly = m_controls.check2->isChecked();
    m_engine.start(m_controls.comPort->text(), options);
}

void MainWindow::showRunStarted()
{
    setPortControlsEnabled(false);
    m_controls.aveN->setEnabled(false);
    m_controls.command1->setText(captions::buttonPreparing());
    m_controls.message->clear();
    m_controls.message->setToolTip(QString());
}

void MainWindow::showSweepStarted()
{
    m_controls.message->clear();
    m_controls.command1->setText(captions::buttonStarted());
}

void MainWindow::showStopped(const StopReason &reason)
{
    switch (reason.kind) {
    case StopReason::Kind::UserStop:
        m_controls.message->clear();
        break;
    case StopReason::Kind::PortOpenFailed:
        // The message stays as it always was; the tool tip says why, until a start succeeds.
        m_controls.message->setText(captions::portFault());
        m_controls.message->setToolTip(reason.openFailure.reason);
        break;
    case StopReason::Kind::PortFailed:
        m_controls.message->setText(captions::portFault());
        break;
    case StopReason::Kind::NoAnswer:
        m_controls.message->setText(captions::noResponse());
        break;
    case StopReason::Kind::UnsupportedModel:
        m_controls.message->setText(captions::unsupportedDevice());
        break;
    case StopReason::Kind::Stalled:
    case StopReason::Kind::UnsupportedMode:
        // The window's runs wait for a silent module and stay on in an unknown mode: neither
        // ends one of them.
        break;
    }
    m_controls.command1->setText(captions::buttonStopped());
    setPortControlsEnabled(true);
    m_controls.aveN->setEnabled(true);
}

void MainWindow::showModes(RadioModes modes)
{
    for (const RadioMode mode : kRadioModes) {
        m_controls.check1.at(slot(static_cast<int>(mode)))->setChecked(modes.contains(mode));
    }
}

void MainWindow::Color_Set_Click(int index)
{
    int &colorNo = m_colorNo.at(slot(index));
    colorNo = chart::nextColorNo(colorNo, static_cast<int>(palette::kColorTable.size()) - 1);
    applySwatchColour(index);
    if (index == 4) {
        setMarkerColour(palette::kColorTable.at(slot(colorNo)));
    }
}

// Colours swatch k from its palette choice; the background swatch also blanks the chart in
// its new colour until the next refresh.
void MainWindow::applySwatchColour(int index)
{
    chart::ColorSwatch *swatch = m_controls.colorSet.at(slot(index));
    swatch->setBackColor(palette::kColorTable.at(slot(m_colorNo.at(slot(index)))));
    if (index == 1) {
        m_controls.picture1->blankWith(swatch->color());
    }
}

void MainWindow::setMarkerColour(quint32 value)
{
    setBackground(m_controls.picture2, palette::resolve(value, QGuiApplication::palette()));
}

void MainWindow::Picture1_MouseDown(const QPointF &twipsPos)
{
    const chart::ChartScale scale = m_controls.picture1->scale();
    m_engine.setCursorChannel(
        chart::xToChannel(static_cast<float>(twipsPos.x()), scale.channelWidth));
}

void MainWindow::Frame2_MouseDown()
{
    m_engine.setCursorChannel(std::nullopt);
}

chart::ChartContent MainWindow::chartContent() const
{
    const FormControls &c = m_controls;
    chart::ChartContent content;
    content.colours.background = c.colorSet.at(1)->color();
    content.colours.levelLine = c.colorSet.at(2)->color();
    content.colours.rssi = c.colorSet.at(3)->color();
    content.colours.max = c.colorSet.at(4)->color();
    content.colours.cursor = c.colorSet.at(5)->color();
    content.outerHeight = outerSizeTwips().height();
    content.readings = m_engine.monitorState();
    return content;
}

void MainWindow::setPortControlsEnabled(bool enabled)
{
    m_controls.comSelectSW->setEnabled(enabled);
    m_controls.comPort->setEnabled(enabled);
}

void MainWindow::showLatestTraffic()
{
    const QString &received = m_engine.receivedText();
    if (m_controls.rxDataDisp->text() != received) {
        m_controls.rxDataDisp->setText(received);
    }
    if (m_controls.send->text() != m_sent) {
        m_controls.send->setText(m_sent);
    }
}

// Under the channel measured last, not the one asked for next.
void MainWindow::moveSweepMarker()
{
    if (!m_measuredIndex) {
        return;
    }
    const float left =
        windowlayout::sweepMarkerLeft(*m_measuredIndex, m_controls.picture1->scale().channelWidth,
                                      windowlayout::kPicture1Pos.x());
    m_controls.picture2->move(twips::toPixels(left), m_controls.picture2->y());
}
