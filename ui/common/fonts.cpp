#include "ui/common/fonts.h"

#include <QStringList>

namespace korvath::ui {

// Both faces are hinted in full, by the fonts' own instructions: small Japanese text stays crisp,
// and the auto-hinter a desktop may ask for by default takes longest of all to set a page's glyphs.

QFont WindowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS PGothic"), QStringLiteral("ＭＳ Ｐゴシック"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(12);
  font.setHintingPreference(QFont::PreferFullHinting);
  // Japanese and digits need no shaping; Qt still shapes any script that does.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

QFont DumpFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Gothic"), QStringLiteral("ＭＳ ゴシック"),
                    QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPixelSize(13);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace korvath::ui
