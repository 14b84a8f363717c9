#include "windows/main/windowicon.h"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace windowicon {

QIcon make()
{
    constexpr int kSize = 32;
    constexpr int kBarWidth = 5;
    constexpr std::array<int, 5> kBarHeights{10, 22, 14, 28, 8};
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    int x = 2;
    for (const int height : kBarHeights) {
        painter.fillRect(x, kSize - 2 - height, kBarWidth, height, QColor(0, 160, 0));
        painter.fillRect(x, kSize - 2 - height - 2, kBarWidth, 2, Qt::red);
        x += kBarWidth + 1;
    }
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, kSize - 1, kSize - 1);
    return QIcon(pixmap);
}

} // namespace windowicon
