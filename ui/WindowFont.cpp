#include "ui/WindowFont.h"

#include <QStringList>

namespace tovik {

QFont DialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    // In pixels like the layout, so that text and controls keep their
    // proportions whatever the screen's dpi setting.
    font.setPixelSize(11);
    return font;
}

}  // namespace tovik
