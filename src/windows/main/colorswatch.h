#pragma once

#include <QColor>
#include <QFrame>
#include <QtGlobal>

namespace chart {

// The palette index after `colorNo`: one step on, back to 0 after the last filled entry.
int nextColorNo(int colorNo, int colorTableMax);

// Color_Set(k): a swatch showing one chart colour, stepped on by a click, Space or Enter.
class ColorSwatch : public QFrame
{
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    // The stored colour value, 00BBGGRR or a system colour 800000nn.
    void setBackColor(quint32 value);
    [[nodiscard]] quint32 backColor() const { return m_backColor; }
    // The colour it shows, system colours taken from the desktop palette.
    [[nodiscard]] QColor color() const { return m_color; }

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void resolveColor();

    quint32 m_backColor = 0;
    QColor m_color{Qt::black};
    bool m_leftPressed = false;
};

} // namespace chart
