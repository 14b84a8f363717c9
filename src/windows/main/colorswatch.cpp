#include "windows/main/colorswatch.h"

#include "core/twips.h"
#include "painters/palette.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace chart {

namespace {

constexpr int kSwatchWidth = 735;
constexpr int kSwatchHeight = 270;

} // namespace

int nextColorNo(int colorNo, int colorTableMax)
{
    const int next = colorNo + 1;
    return next > colorTableMax || next < 0 ? 0 : next;
}

ColorSwatch::ColorSwatch(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    resolveColor();
}

void ColorSwatch::setBackColor(quint32 value)
{
    m_backColor = value;
    resolveColor();
}

QSize ColorSwatch::sizeHint() const
{
    return twips::toPixels(QSize(kSwatchWidth, kSwatchHeight));
}

void ColorSwatch::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), m_color);
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = contentsRect();
            option.backgroundColor = m_color;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
    QFrame::paintEvent(event);
}

void ColorSwatch::mousePressEvent(QMouseEvent *event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left press and release on the swatch, as with a button.
    const bool click = m_leftPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_leftPressed = false;
    event->accept();
    if (click) {
        Q_EMIT clicked();
    }
}

void ColorSwatch::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        if (!event->isAutoRepeat()) {
            Q_EMIT clicked();
        }
        break;
    default:
        QFrame::keyPressEvent(event);
        break;
    }
}

void ColorSwatch::changeEvent(QEvent *event)
{
    // System colours follow the desktop scheme when it changes.
    if (event->type() == QEvent::PaletteChange) {
        resolveColor();
    }
    QFrame::changeEvent(event);
}

void ColorSwatch::resolveColor()
{
    m_color = palette::resolve(m_backColor, QGuiApplication::palette());
    setAccessibleDescription(m_color.name());
    update();
}

} // namespace chart
