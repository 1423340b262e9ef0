#include "common/fonts.h"

#include <cmath>

namespace tesselka {

int PointsToPixels(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

QFont MapFont(const QString& face, int points, bool bold)
{
    static const QString installed = QStringLiteral("Liberation Sans");
    QString family = face;
    if (face == QLatin1String("MS Sans Serif") || face == QLatin1String("Arial") || face == QLatin1String("Ariel"))
        family = installed;
    QFont font(family);
    font.setPixelSize(std::max(1, PointsToPixels(points)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace tesselka
