#pragma once

#include "windows/main/chartview.h"

#include <array>

namespace chart {
class ChartFrame;
class ColorSwatch;
} // namespace chart
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// Every control of the monitor window, built at its design place, caption, font, tool tip
// and initial state. Arrays keep their design indexes: colorSet[0] is unused (swatches are
// numbered 1 to 5), label1 0..4, check1 0..2, chLabel 0..9, rssiLabel 0..7.
struct FormControls
{
    QListWidget *comPortList = nullptr;
    QLineEdit *rxDataDisp = nullptr;
    QLineEdit *send = nullptr;
    QLineEdit *aveN = nullptr;
    QGroupBox *frame4 = nullptr;
    std::array<QCheckBox *, 3> check1{};
    QLabel *label2 = nullptr;
    QGroupBox *frame1 = nullptr;
    QLineEdit *comPort = nullptr;
    QPushButton *comSelectSW = nullptr;
    QGroupBox *frame3 = nullptr;
    std::array<chart::ColorSwatch *, 6> colorSet{};
    std::array<QLabel *, 5> label1{};
    chart::ChartFrame *frame2 = nullptr;
    QCheckBox *check2 = nullptr;
    QFrame *picture2 = nullptr;
    // The row the sweep marker moves along: opaque, so that a move repaints only this strip
    // and not the whole frame around the chart.
    QWidget *sweepTrack = nullptr;
    chart::ChartView *picture1 = nullptr;
    std::array<QLabel *, 10> chLabel{};
    std::array<QLabel *, 8> rssiLabel{};
    QLabel *cursolRssiChText = nullptr;
    QPushButton *command1 = nullptr;
    QLabel *message = nullptr;
};

// Builds the controls on the given window and chains the keyboard tab order. The chart paints
// what chartSource gives it.
FormControls buildFormControls(QWidget *form, chart::ChartContentSource chartSource);
