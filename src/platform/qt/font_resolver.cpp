#include "platform/qt/font_resolver.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

namespace sprocket::dc {

namespace {

QString FamilyFor(const std::string& face) {
  const QString requested = QString::fromStdString(face);
  if (QFontDatabase::hasFamily(requested)) return requested;
  if (requested.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0 &&
      QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))) {
    return QStringLiteral("Liberation Sans");
  }
  return QStringLiteral("DejaVu Sans");
}

QFont FontOfPixelSize(const QString& family, int pixelSize, int weight) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  if (weight >= 600) font.setBold(true);
  return font;
}

}  // namespace

QFont ResolveFont(const Font& font) {
  const QString family = FamilyFor(font.face);
  const int cell = font.height < 0 ? -font.height : font.height;
  if (cell <= 0) return FontOfPixelSize(family, 13, font.weight);
  // The largest pixel size whose ascent + descent fits the cell.
  for (int size = cell; size > 1; --size) {
    QFont candidate = FontOfPixelSize(family, size, font.weight);
    const QFontMetrics metrics(candidate);
    if (metrics.ascent() + metrics.descent() <= cell) return candidate;
  }
  return FontOfPixelSize(family, 1, font.weight);
}

}  // namespace sprocket::dc
