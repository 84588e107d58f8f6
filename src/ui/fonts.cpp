#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace tq::ui {

QString songTiFamily() {
    return QStringLiteral(u"宋体");
}

void installFontSubstitutions() {
    // Where the real face is installed (Windows, or a Linux machine with it), it wins:
    // substitutions are only consulted for families the database does not have.
    const QStringList replacements = {
        QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei")};
    for (const QString& family : {songTiFamily(), QStringLiteral("SimSun")}) {
        if (QFont::substitutes(family).isEmpty()) {
            QFont::insertSubstitutions(family, replacements);
        }
    }
}

QFont songTi(int pixelSize, QFont::Weight weight) {
    QFont font(songTiFamily());
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

}  // namespace tq::ui
