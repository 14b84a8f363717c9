#include "windows/main/hiddencaptionframe.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

void HiddenCaptionFrame::paintEvent(QPaintEvent * /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.text.clear();
    option.subControls &= ~QStyle::SC_GroupBoxLabel;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}
