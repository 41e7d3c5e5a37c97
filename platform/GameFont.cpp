#include "platform/GameFont.h"

#include <QStringList>

QFont GameFont() {
    QFont font;
    font.setFamilies({"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "TeX Gyre Heros",
                      "FreeSans", "Helvetica", "Arial", "DejaVu Sans", "sans-serif"});
    font.setStyleHint(QFont::SansSerif);
    return font;
}
