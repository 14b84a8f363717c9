#include "windows/main/mainwindow.h"
#include "core/designsizes.h"

#include "core/twips.h"
#include "engine/port/portdiscovery.h"
#include "engine/port/serialportprobe.h"
#include "engine/port/systemportsource.h"
#include "engine/protocol/monitorsession.h"
#include "engine/protocol/qtseriallink.h"
#include "engine/protocol/timerresolution.h"
#include "painters/cursorreadout.h"
#include "painters/palette.h"
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

MainWindow::MainWindow(Services services, QWidget *parent)
    : QWidget(parent)
    , m_link(services.link != nullptr ? services.link : new QtSerialLink)
    , m_settings(std::make_unique<SettingsFile>(
          services.settingsPath.isEmpty() ? SettingsFile::defaultPath() : services.settingsPath))
{
    m_link->setParent(this);
    m_controls = buildFormControls(this, m_state, [this] { return chartControls(); });
    if (!services.portSource) {
        services.portSource = std::make_unique<SystemPortSource>();
    }
    if (!services.portProbe) {
        services.portProbe = std::make_unique<SerialPortProbe>();
    }
    m_portPanel = new PortSelectionPanel(
        m_controls.comPortList, m_controls.comPort, m_controls.frame1,
        PortDiscovery(std::move(services.portSource), std::move(services.portProbe)), this);
    m_session = new MonitorSession(m_state, *this, *m_link, this);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kRefreshInterval);

    Form_Load();
    connectHandlers();
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
    connect(c.command1, &QPushButton::clicked, m_session, &MonitorSession::Command1_Click);
    connect(c.comSelectSW, &QPushButton::clicked, m_portPanel, &PortSelectionPanel::toggle);
    connect(c.picture1, &chart::ChartView::pressed, this, &MainWindow::Picture1_MouseDown);
    connect(c.frame2, &chart::ChartFrame::pressed, this, &MainWindow::Frame2_MouseDown);
    for (int k = 1; k <= MonitorState::kSwatchCount; ++k) {
        connect(c.colorSet.at(slot(k)), &chart::ColorSwatch::clicked, this,
                [this, k] { Color_Set_Click(k); });
    }
}

void MainWindow::Form_Load()
{
    setWindowTitle(startup::windowTitle());
    setWindowIcon(windowicon::make());
    resize(twips::toPixels(QSize(designsizes::kStartWidth, designsizes::kStartHeight)));
    timerresolution::request();
    m_controls.message->clear();
    hidePortList();

    startup::initialiseMonitorState(m_state);
    for (int k = 1; k <= MonitorState::kSwatchCount; ++k) {
        applySwatchColour(k);
    }
    setMarkerColour(m_state.colorTable.at(slot(palette::kMarkerInitialColorNo)));

    for (std::size_t i = 0; i < m_controls.chLabel.size(); ++i) {
        const int channel = static_cast<int>(i) * m_state.chLabelStep + m_state.chStart;
        m_controls.chLabel.at(i)->setText(QString::number(channel));
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
    if (m_link->isOpen()) {
        m_link->close();
    }
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
    settleOuterSize();
    followOuterSize();
    if ((m_storedLeft || m_storedTop) && m_placementWatch == nullptr) {
        // The window system places the window only after this event.
        m_placementWatch = new PlacementWatch(windowHandle(), this);
        connect(m_placementWatch, &PlacementWatch::placed, this,
                &MainWindow::applyStoredCoordinate);
    }
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

// A window manager adds its frame only after the window is shown; the start-up size is an
// outer size, so it is set again once the frame is known.
void MainWindow::settleOuterSize()
{
    if (m_outerSizeSettled || !isVisible() || windowHandle() == nullptr) {
        return;
    }
    const std::optional<QSize> client = outersize::settledClientSize(
        twips::toPixels(QSize(designsizes::kStartWidth, designsizes::kStartHeight)),
        windowHandle()->frameMargins());
    if (!client) {
        return;
    }
    m_outerSizeSettled = true;
    resize(*client);
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
    input.chIdx = m_state.chIdx;
    input.chLabelStep = m_state.chLabelStep;
    const windowlayout::Layout layout = windowlayout::compute(input);

    const FormControls &c = m_controls;
    c.frame2->resize(twips::toPixels(layout.frame2Size.toSize()));
    c.picture1->setSizeTwips(layout.picture1Size);
    m_state.chWidth = layout.scale.chWidth;
    m_state.dbHeight = layout.scale.dbHeight;
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
    const chart::ChartScale scale = m_controls.picture1->scale();
    m_state.chWidth = scale.chWidth;
    m_state.dbHeight = scale.dbHeight;
    m_controls.picture1->refresh();
    m_controls.cursolRssiChText->setText(chart::cursorReadout(m_state));
    showLatestTraffic();
    m_session->completeStopRequest();
}

void MainWindow::Color_Set_Click(int index)
{
    int &colorNo = m_state.colorNo.at(slot(index));
    colorNo = chart::nextColorNo(colorNo, m_state.colorTableMax);
    applySwatchColour(index);
    if (index == 4) {
        setMarkerColour(m_state.colorTable.at(slot(colorNo)));
    }
}

// Colours swatch k from its palette choice; the background swatch also blanks the chart in
// its new colour until the next refresh.
void MainWindow::applySwatchColour(int index)
{
    chart::ColorSwatch *swatch = m_controls.colorSet.at(slot(index));
    swatch->setBackColor(m_state.colorTable.at(slot(m_state.colorNo.at(slot(index)))));
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
    m_state.chWidth = scale.chWidth;
    m_state.dbHeight = scale.dbHeight;
    m_state.cursorCh =
        chart::xToChannel(static_cast<float>(twipsPos.x()), scale.chWidth, m_state.chMax);
}

void MainWindow::Frame2_MouseDown()
{
    m_state.cursorCh.reset();
}

chart::ChartControls MainWindow::chartControls() const
{
    const FormControls &c = m_controls;
    chart::ChartControls controls;
    controls.colours.background = c.colorSet.at(1)->color();
    controls.colours.levelLine = c.colorSet.at(2)->color();
    controls.colours.rssi = c.colorSet.at(3)->color();
    controls.colours.max = c.colorSet.at(4)->color();
    controls.colours.cursor = c.colorSet.at(5)->color();
    controls.outerHeight = outerSizeTwips().height();
    for (std::size_t i = 0; i < c.chLabel.size(); ++i) {
        controls.channelCaptions.at(i) = c.chLabel.at(i)->text();
    }
    return controls;
}

bool MainWindow::isModeChecked(RadioMode mode) const
{
    return m_controls.check1.at(slot(static_cast<int>(mode)))->isChecked();
}

void MainWindow::setModeChecked(RadioMode mode, bool checked)
{
    m_controls.check1.at(slot(static_cast<int>(mode)))->setChecked(checked);
}

// The command goes out from here at once; the box shows it at the next refresh tick, since
// painting it for every exchange cost a third of an Air Monitor exchange.
QString MainWindow::sendText() const
{
    return m_sent;
}

void MainWindow::setSendText(const QString &text)
{
    m_sent = text;
}

QString MainWindow::sampleCountText() const
{
    return m_controls.aveN->text();
}

QString MainWindow::portText() const
{
    return m_controls.comPort->text();
}

bool MainWindow::isCursorOnlyChecked() const
{
    return m_controls.check2->isChecked();
}

void MainWindow::setMessage(const QString &text)
{
    m_controls.message->setText(text);
}

void MainWindow::setMessageToolTip(const QString &text)
{
    m_controls.message->setToolTip(text);
}

void MainWindow::setButtonCaption(const QString &text)
{
    m_controls.command1->setText(text);
}

void MainWindow::setPortControlsEnabled(bool enabled)
{
    m_controls.comSelectSW->setEnabled(enabled);
    m_controls.comPort->setEnabled(enabled);
}

void MainWindow::setSampleCountEnabled(bool enabled)
{
    m_controls.aveN->setEnabled(enabled);
}

void MainWindow::showReceived(const QString &text)
{
    // Shown at the next refresh tick: replies arrive a byte at a time, and laying out and
    // painting the box for every byte cost more than the rest of the exchange together.
    m_received = text;
}

void MainWindow::showLatestTraffic()
{
    if (m_controls.rxDataDisp->text() != m_received) {
        m_controls.rxDataDisp->setText(m_received);
    }
    if (m_controls.send->text() != m_sent) {
        m_controls.send->setText(m_sent);
    }
}

void MainWindow::hidePortList()
{
    m_portPanel->hide();
}

void MainWindow::moveSweepMarker(int chIdx)
{
    const float left =
        windowlayout::sweepMarkerLeft(chIdx, m_state.chWidth, windowlayout::kPicture1Pos.x());
    m_controls.picture2->move(twips::toPixels(left), m_controls.picture2->y());
}
