#include "app/chinese_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace sw {

QString ChineseFontFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        const QStringList preferred = {
            QStringLiteral("SimSun"),
            QStringLiteral("NSimSun"),
            QStringLiteral("Noto Sans Mono CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei Mono"),
            QStringLiteral("WenQuanYi Micro Hei Mono"),
            QStringLiteral("AR PL UMing CN"),
            QStringLiteral("Noto Serif CJK SC"),
            QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("WenQuanYi Micro Hei"),
        };
        for (const QString& name : preferred)
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        for (const QString& name : installed)
            if (QFontDatabase::writingSystems(name).contains(QFontDatabase::SimplifiedChinese))
                return name;
        return QString();
    }();
    return family;
}

QFont ChineseUiFont() {
    QFont font;
    QStringList families{QStringLiteral("SimSun")};
    const QString fallback = ChineseFontFamily();
    if (!fallback.isEmpty() && fallback != families.front())
        families.append(fallback);
    font.setFamilies(families);
    font.setPixelSize(12);
    return font;
}

} // namespace sw
