#include "app/WindowFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace window_fonts {

void registerFallbackFonts() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        return;
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file);
        if (QFile::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}

QFont interfaceFont(int pixelSize, int weight) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(weight));
    return font;
}

QFont hintFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("DejaVu Serif")});
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

} // namespace window_fonts
