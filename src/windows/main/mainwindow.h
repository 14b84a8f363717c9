#pragma once

#include "engine/port/portprobe.h"
#include "engine/port/portsource.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"
#include "windows/main/formcontrols.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class MonitorSession;
class PlacementWatch;
class PortSelectionPanel;
class SerialLink;
class SettingsFile;
class QTimer;

// What the monitor window talks to; tests replace them. Empty members take the real ones.
struct MainWindowServices
{
    SerialLink *link = nullptr; // the window takes it over
    std::unique_ptr<PortSource> portSource;
    std::unique_ptr<PortProbe> portProbe;
    QString settingsPath;
};

// Form1, the monitor window: owns the controls and the monitor state, and wires the controls
// to the protocol, the chart, the port panel and the settings file. It holds none of their logic.
class MainWindow final : public QWidget, public MonitorView
{
    Q_OBJECT

public:
    using Services = MainWindowServices;

    explicit MainWindow(MainWindowServices services = {}, QWidget *parent = nullptr);
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;
    ~MainWindow() override;

    [[nodiscard]] const MonitorState &state() const { return m_state; }
    [[nodiscard]] MonitorState &state() { return m_state; }
    [[nodiscard]] const FormControls &controls() const { return m_controls; }
    [[nodiscard]] SerialLink &link() const { return *m_link; }
    [[nodiscard]] MonitorSession &session() const { return *m_session; }
    [[nodiscard]] QTimer &refreshTimer() const { return *m_timer1; }

    // MonitorView
    [[nodiscard]] bool isModeChecked(RadioMode mode) const override;
    void setModeChecked(RadioMode mode, bool checked) override;
    [[nodiscard]] QString sendText() const override;
    void setSendText(const QString &text) override;
    [[nodiscard]] QString sampleCountText() const override;
    [[nodiscard]] QString portText() const override;
    [[nodiscard]] bool isCursorOnlyChecked() const override;
    void setMessage(const QString &text) override;
    void setMessageToolTip(const QString &text) override;
    void setButtonCaption(const QString &text) override;
    void setPortControlsEnabled(bool enabled) override;
    void setSampleCountEnabled(bool enabled) override;
    void showReceived(const QString &text) override;
    void hidePortList() override;
    void moveSweepMarker(int chIdx) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void connectHandlers();
    void Form_Load();
    void Form_Resize();
    void Timer1_Timer();
    void Color_Set_Click(int index);
    void Picture1_MouseDown(const QPointF &twipsPos);
    void Frame2_MouseDown();
    void shutdown();
    void LoadSettings();
    void SaveSettings();
    void settleOuterSize();
    void followOuterSize();
    void applyStoredCoordinate();
    // RxDataDisp and Send as the latest exchange left them, at each refresh tick.
    void showLatestTraffic();
    void applySwatchColour(int index);
    void setMarkerColour(quint32 value);
    [[nodiscard]] chart::ChartControls chartControls() const;
    [[nodiscard]] QSize outerSizeTwips() const;

    MonitorState m_state;
    FormControls m_controls;
    SerialLink *m_link = nullptr;
    MonitorSession *m_session = nullptr;
    PortSelectionPanel *m_portPanel = nullptr;
    std::unique_ptr<SettingsFile> m_settings;
    QTimer *m_timer1 = nullptr;
    PlacementWatch *m_placementWatch = nullptr;
    bool m_outerSizeSettled = false;
    QString m_received; // RxBuf as the latest receive event left it
    QString m_sent;     // Send as the latest command left it
    QSize m_laidOutFor; // the outer size, in twips, of the latest layout
    // A stored Left or Top without the other, in pixels, applied once the window system has
    // placed the window.
    std::optional<int> m_storedLeft;
    std::optional<int> m_storedTop;
};
