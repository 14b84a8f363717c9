#pragma once

#include "engine/port/portprobe.h"
#include "engine/port/portsource.h"
#include "painters/palette.h"
#include "windows/main/formcontrols.h"

#include <QMargins>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class PlacementWatch;
class PortSelectionPanel;
class RadioModes;
class SettingsFile;
class SweepEngine;
class QTimer;
struct StopReason;

// What the monitor window talks to beside its engine; tests replace them. Empty members take
// the real ones.
struct MainWindowServices
{
    std::unique_ptr<PortSource> portSource;
    std::unique_ptr<PortProbe> portProbe;
    QString settingsPath;
};

// Form1, the monitor window: one view of the sweep engine, which it is given and which must
// outlive it. It shows what the engine reports in its captions, boxes, chart and marker,
// passes its controls' input to the engine, and wires the port panel and the settings file.
// It holds none of their logic.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    using Services = MainWindowServices;

    explicit MainWindow(SweepEngine &engine, MainWindowServices services = {},
                        QWidget *parent = nullptr);
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;
    ~MainWindow() override;

    [[nodiscard]] const FormControls &controls() const { return m_controls; }
    [[nodiscard]] SweepEngine &engine() const { return m_engine; }
    [[nodiscard]] QTimer &refreshTimer() const { return *m_timer1; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    static constexpr std::size_t kSwatchCount = palette::kInitialColorNo.size();

    void connectHandlers();
    void connectEngine();
    void Form_Load();
    void Form_Resize();
    void Timer1_Timer();
    void Command1_Click();
    void Color_Set_Click(int index);
    void Picture1_MouseDown(const QPointF &twipsPos);
    void Frame2_MouseDown();
    void shutdown();
    void LoadSettings();
    void SaveSettings();
    void settleOuterSize();
    void followOuterSize();
    void finishPlacement();
    void applyStoredCoordinate();
    // The engine's news, as the controls show it.
    void showRunStarted();
    void showSweepStarted();
    void showStopped(const StopReason &reason);
    void showModes(RadioModes modes);
    void moveSweepMarker();
    // RxDataDisp and Send as the latest exchange left them, at each refresh tick.
    void showLatestTraffic();
    void setPortControlsEnabled(bool enabled);
    void applySwatchColour(int index);
    void setMarkerColour(quint32 value);
    [[nodiscard]] chart::ChartContent chartContent() const;
    [[nodiscard]] QSize outerSizeTwips() const;

    FormControls m_controls;
    SweepEngine &m_engine;
    PortSelectionPanel *m_portPanel = nullptr;
    std::unique_ptr<SettingsFile> m_settings;
    QTimer *m_timer1 = nullptr;
    PlacementWatch *m_placementWatch = nullptr;
    // Palette index chosen by each swatch, indexed 1..5 (index 0 is never used).
    std::array<int, kSwatchCount + 1> m_colorNo{};
    // A stop asked for with the button, carried out at the next refresh tick.
    bool m_stopRequested = false;
    // Set once the window is placed: from then on its size is the user's.
    bool m_outerSizeSettled = false;
    // The frame the start-up size was last set for.
    QMargins m_settledFrame;
    QString m_sent; // the latest command
    // The channel of the latest reading, under which the marker stands from the next tick.
    std::optional<int> m_measuredIndex;
    QSize m_laidOutFor; // the outer size, in twips, of the latest layout
    // A stored Left or Top without the other, in pixels, applied once the window system has
    // placed the window.
    std::optional<int> m_storedLeft;
    std::optional<int> m_storedTop;
};
