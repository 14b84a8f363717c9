#include "windows/main/formcontrols.h"

#include "core/twips.h"
#include "windows/main/captions.h"
#include "windows/main/chartframe.h"
#include "windows/main/chartview.h"
#include "windows/main/colorswatch.h"
#include "windows/main/fonts.h"
#include "windows/main/hiddencaptionframe.h"
#include "windows/main/ownareatooltip.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct Rect
{
    int left;
    int top;
    int width;
    int height;
};

constexpr double kSmall = 11.25;
constexpr double kMedium = 12.0;
constexpr double kLarge = 14.25;
constexpr double kWindow = 9.75;

// Design places, in twips inside each control's container.
constexpr Rect kComPortList{480, 1080, 9615, 1425};
constexpr Rect kRxDataDisp{10560, 720, 1815, 375};
constexpr Rect kSend{10560, 240, 1815, 375};
constexpr Rect kAveN{9720, 840, 375, 285};
constexpr Rect kFrame4{7920, 120, 2415, 1095};
constexpr std::array<Rect, 3> kCheck1{
    {{240, 360, 855, 255}, {1080, 360, 855, 255}, {240, 720, 1695, 255}}};
constexpr Rect kLabel2{120, 0, 1815, 255};
constexpr Rect kFrame1{240, 360, 3915, 825};
constexpr Rect kComPort{240, 240, 1335, 420};
constexpr Rect kComSelectSW{1800, 240, 1815, 465};
constexpr Rect kFrame3{240, 1200, 10095, 615};
constexpr std::array<int, 5> kSwatchLefts{2040, 3960, 5640, 7200, 9120};
constexpr int kSwatchTop = 240;
constexpr int kSwatchWidth = 735;
constexpr int kSwatchHeight = 270;
constexpr std::array<Rect, 5> kLabel1{{{1560, 300, 495, 255},
                                       {3120, 300, 855, 195},
                                       {5040, 300, 495, 255},
                                       {6720, 300, 375, 255},
                                       {8280, 300, 735, 255}}};
constexpr Rect kFrame2{240, 1800, 10095, 4695};
constexpr Rect kCheck2{8040, 240, 1815, 375};
constexpr Rect kPicture2{840, 4230, 255, 60};
constexpr Rect kPicture1{840, 720, 9015, 3495};
constexpr std::array<int, 10> kChLabelLefts{840,  1800, 2640, 3600, 4560,
                                            5520, 6480, 7440, 8400, 9360};
constexpr int kChLabelTop = 4320;
constexpr int kChLabelSize = 255;
constexpr std::array<int, 8> kRssiLabelTops{840, 1200, 1680, 2160, 2640, 3120, 3600, 4080};
constexpr int kRssiLabelLeft = 120;
constexpr int kRssiLabelWidth = 615;
constexpr int kRssiLabelHeight = 255;
constexpr Rect kCursolRssiChText{840, 240, 6975, 330};
constexpr Rect kCommand1{4320, 450, 3375, 615};
constexpr Rect kMessage{360, 60, 7335, 255};

// Keyboard tab positions.
constexpr int kTabCommand1 = 0;
constexpr int kTabFrame2 = 1;
constexpr int kTabPicture1 = 2;
constexpr std::array<int, 8> kTabRssiLabel{3, 12, 13, 14, 15, 16, 17, 33};
constexpr std::array<int, 10> kTabChLabel{4, 5, 6, 7, 8, 9, 10, 11, 46, 47};
constexpr int kTabFrame3 = 18;
constexpr std::array<int, 5> kTabColorSet{22, 21, 20, 19, 29};
constexpr std::array<int, 5> kTabLabel1{26, 25, 24, 23, 28};
constexpr int kTabMessage = 27;
constexpr int kTabCursolRssiChText = 30;
constexpr int kTabFrame1 = 31;
constexpr int kTabComSelectSW = 32;
constexpr int kTabPicture2 = 34;
constexpr int kTabComPort = 35;
constexpr int kTabComPortList = 36;
constexpr int kTabFrame4 = 37;
constexpr int kTabLabel2 = 38;
constexpr std::array<int, 3> kTabCheck1{39, 40, 41};
constexpr int kTabAveN = 42;
constexpr int kTabSend = 43;
constexpr int kTabRxDataDisp = 44;
constexpr int kTabCheck2 = 45;

const std::array<const char *, 5> kSwatchCaptions = {"背景", "レベル線", "RSSI", "Max", "カーソル"};
const std::array<const char *, 3> kModeCaptions = {"FSK", "LoRa", "Air Monitor"};
const std::array<const char *, 8> kLevelCaptions = {"0",   "-20",  "-40",  "-60",
                                                    "-80", "-100", "-120", "-140"};

class Builder
{
public:
    template <typename Widget>
    Widget *add(QWidget *container, const QString &name, const Rect &rect, int tab)
    {
        return place(new Widget(container), name, rect, tab);
    }

    template <typename Widget>
    Widget *place(Widget *widget, const QString &name, const Rect &rect, int tab)
    {
        widget->setObjectName(name);
        widget->setGeometry(twips::toPixels(rect.left, rect.top, rect.width, rect.height));
        m_tabOrder.emplace_back(tab, widget);
        return widget;
    }

    // Chains the focusable controls in the order of their tab positions.
    void chainTabOrder()
    {
        std::stable_sort(m_tabOrder.begin(), m_tabOrder.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QWidget *previous = nullptr;
        for (const auto &entry : m_tabOrder) {
            QWidget *widget = entry.second;
            if ((widget->focusPolicy() & Qt::TabFocus) == 0) {
                continue;
            }
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }

private:
    std::vector<std::pair<int, QWidget *>> m_tabOrder;
};

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

FormControls buildFormControls(QWidget *form, chart::ChartContentSource chartSource)
{
    Builder b;
    FormControls c;
    form->setFont(fonts::proportional(kWindow));

    c.message = b.add<QLabel>(form, QStringLiteral("Message"), kMessage, kTabMessage);
    c.message->setText(QStringLiteral("Message"));
    c.message->setFont(fonts::proportional(kMedium));
    QPalette messagePalette = c.message->palette();
    messagePalette.setColor(QPalette::WindowText, Qt::red);
    c.message->setPalette(messagePalette);

    c.command1 = b.add<QPushButton>(form, QStringLiteral("Command1"), kCommand1, kTabCommand1);
    c.command1->setText(captions::buttonStopped());
    c.command1->setFont(fonts::proportional(kSmall, true));
    c.command1->setToolTip(QStringLiteral("エアーモニタの開始/停止"));

    c.frame1 = b.add<QGroupBox>(form, QStringLiteral("Frame1"), kFrame1, kTabFrame1);
    c.frame1->setTitle(QStringLiteral("Comポート設定"));
    c.frame1->setFont(fonts::systemDefault());
    c.comPort = b.add<QLineEdit>(c.frame1, QStringLiteral("Com_Port"), kComPort, kTabComPort);
    c.comPort->setFont(fonts::proportional(kLarge));
    c.comPort->setAccessibleName(QStringLiteral("Comポート"));
    c.comPort->setToolTip(QStringLiteral("KVT-318D/KVT-318Mが接続されているComポート番号を選択。"));
    c.comSelectSW =
        b.add<QPushButton>(c.frame1, QStringLiteral("ComSelectSW"), kComSelectSW, kTabComSelectSW);
    c.comSelectSW->setText(QStringLiteral("ポート選択"));
    c.comSelectSW->setFont(fonts::proportional(kSmall, true));
    c.comSelectSW->setToolTip(
        QStringLiteral("PCに接続されているComポートを検出し、リスト表示します。\u3000"
                       "但し他アプリで使用(Open)中のポートは表示されません。"));

    c.frame4 = b.add<HiddenCaptionFrame>(form, QStringLiteral("Frame4"), kFrame4, kTabFrame4);
    c.frame4->setTitle(QStringLiteral("Frame4"));
    c.frame4->setFont(fonts::systemDefault());
    c.frame4->setToolTip(QStringLiteral("モジュールに設定されている無線モードを表示します。"));
    OwnAreaToolTip::install(c.frame4);
    for (int i = 2; i >= 0; --i) {
        const auto index = static_cast<std::size_t>(i);
        QCheckBox *box = b.add<QCheckBox>(c.frame4, indexed("Check1", i), kCheck1.at(index),
                                          kTabCheck1.at(index));
        box->setText(QString::fromLatin1(kModeCaptions.at(index)));
        box->setFont(fonts::proportional(kMedium));
        c.check1.at(index) = box;
    }
    // The frame's own caption is never seen: this label, opaque, lies over it.
    c.label2 = b.add<QLabel>(c.frame4, QStringLiteral("Label2"), kLabel2, kTabLabel2);
    c.label2->setText(QStringLiteral("現在の無線モード"));
    c.label2->setFont(fonts::proportional(kSmall));
    c.label2->setAutoFillBackground(true);
    c.frame4->setAccessibleName(c.label2->text());

    c.aveN = b.add<QLineEdit>(form, QStringLiteral("AveN"), kAveN, kTabAveN);
    c.aveN->setText(QStringLiteral("08"));
    c.aveN->setFont(fonts::proportional(kSmall));
    c.aveN->setAccessibleName(QStringLiteral("サンプリング回数"));
    c.aveN->setToolTip(
        QStringLiteral("Air Monitorモードの場合のRSSI取得時のサンプリング回数を変更できます。"));

    c.frame3 = b.add<QGroupBox>(form, QStringLiteral("Frame3"), kFrame3, kTabFrame3);
    c.frame3->setTitle(QStringLiteral("カラー設定"));
    c.frame3->setFont(fonts::systemDefault());
    c.frame3->setToolTip(QStringLiteral("グラフの表示色を選択"));
    OwnAreaToolTip::install(c.frame3);
    for (std::size_t k = 0; k < kSwatchLefts.size(); ++k) {
        const int index = static_cast<int>(k);
        QLabel *caption =
            b.add<QLabel>(c.frame3, indexed("Label1", index), kLabel1.at(k), kTabLabel1.at(k));
        caption->setText(QString::fromUtf8(kSwatchCaptions.at(k)));
        caption->setFont(fonts::systemDefault());
        c.label1.at(k) = caption;
        chart::ColorSwatch *swatch = b.add<chart::ColorSwatch>(
            c.frame3, indexed("Color_Set", index + 1),
            {kSwatchLefts.at(k), kSwatchTop, kSwatchWidth, kSwatchHeight}, kTabColorSet.at(k));
        swatch->setAccessibleName(caption->text());
        caption->setBuddy(swatch);
        c.colorSet.at(k + 1) = swatch;
    }

    c.frame2 = b.add<chart::ChartFrame>(form, QStringLiteral("Frame2"), kFrame2, kTabFrame2);
    c.frame2->setFont(fonts::proportional(kSmall));
    c.frame2->setToolTip(QStringLiteral("ここをクリックでカーソルOFF"));
    OwnAreaToolTip::install(c.frame2);
    c.check2 = b.add<QCheckBox>(c.frame2, QStringLiteral("Check2"), kCheck2, kTabCheck2);
    c.check2->setText(QStringLiteral("ｶｰｿﾙChのみ測定"));
    c.check2->setFont(fonts::systemDefault());
    c.sweepTrack = new QWidget(c.frame2);
    c.sweepTrack->setObjectName(QStringLiteral("SweepTrack"));
    c.sweepTrack->setAutoFillBackground(true);
    c.sweepTrack->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.picture2 = b.add<QFrame>(c.frame2, QStringLiteral("Picture2"), kPicture2, kTabPicture2);
    c.picture2->setAutoFillBackground(true);
    c.picture2->setAccessibleName(QStringLiteral("測定中のチャネル"));
    c.picture1 = b.place(new chart::ChartView(std::move(chartSource), c.frame2),
                         QStringLiteral("Picture1"), kPicture1, kTabPicture1);
    c.picture1->setAccessibleName(QStringLiteral("RSSIグラフ"));
    c.picture1->setFont(fonts::proportional(kSmall));
    c.picture1->setToolTip(
        QStringLiteral("ウィンドウ枠内クリックでカーソルON 、枠外クリックでOFF"));
    for (std::size_t i = 0; i < kChLabelLefts.size(); ++i) {
        const int index = static_cast<int>(i);
        QLabel *label = b.add<QLabel>(
            c.frame2, indexed("ChLabel", index),
            {kChLabelLefts.at(i), kChLabelTop, kChLabelSize, kChLabelSize}, kTabChLabel.at(i));
        label->setText(QString::number(index * 5));
        label->setFont(fonts::proportional(kSmall));
        label->setAlignment(Qt::AlignCenter);
        c.chLabel.at(i) = label;
    }
    for (std::size_t i = 0; i < kRssiLabelTops.size(); ++i) {
        QLabel *label =
            b.add<QLabel>(c.frame2, indexed("RssiLabel", static_cast<int>(i)),
                          {kRssiLabelLeft, kRssiLabelTops.at(i), kRssiLabelWidth, kRssiLabelHeight},
                          kTabRssiLabel.at(i));
        label->setText(QString::fromLatin1(kLevelCaptions.at(i)));
        label->setFont(fonts::fixed(kSmall));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        c.rssiLabel.at(i) = label;
    }
    c.cursolRssiChText = b.add<QLabel>(c.frame2, QStringLiteral("CursolRSSI_ChText"),
                                       kCursolRssiChText, kTabCursolRssiChText);
    c.cursolRssiChText->setFont(fonts::fixed(kMedium, true));
    c.cursolRssiChText->setAlignment(Qt::AlignCenter);
    c.cursolRssiChText->setAutoFillBackground(true);
    c.cursolRssiChText->setBackgroundRole(QPalette::Base);

    c.send = b.add<QLineEdit>(form, QStringLiteral("Send"), kSend, kTabSend);
    c.send->setFont(fonts::systemDefault());
    c.send->setAccessibleName(QStringLiteral("送信コマンド"));
    c.rxDataDisp =
        b.add<QLineEdit>(form, QStringLiteral("RxDataDisp"), kRxDataDisp, kTabRxDataDisp);
    c.rxDataDisp->setFont(fonts::systemDefault());
    c.rxDataDisp->setAccessibleName(QStringLiteral("受信データ"));

    // Created last so that, when shown, it lies above every other control.
    c.comPortList =
        b.add<QListWidget>(form, QStringLiteral("Com_PortList"), kComPortList, kTabComPortList);
    c.comPortList->setFont(fonts::systemDefault());
    c.comPortList->setSortingEnabled(false);
    c.comPortList->setAccessibleName(QStringLiteral("ポート一覧"));
    c.comPortList->setToolTip(
        QStringLiteral("何れか選択するか、再度「ポート選択」ボタンで閉じます。"));

    b.chainTabOrder();
    return c;
}
