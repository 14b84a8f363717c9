#include "windows/main/fonts.h"

#include <QApplication>
#include <QStringList>

namespace fonts {

namespace {

QFont gothic(const QStringList &families, QFont::StyleHint hint, double pointSize, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

QFont proportional(double pointSize, bool bold)
{
    static const QStringList families = {
        QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")};
    return gothic(families, QFont::SansSerif, pointSize, bold);
}

QFont fixed(double pointSize, bool bold)
{
    static const QStringList families = {
        QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
        QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic")};
    return gothic(families, QFont::Monospace, pointSize, bold);
}

QFont systemDefault()
{
    QFont font = QApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

} // namespace fonts
