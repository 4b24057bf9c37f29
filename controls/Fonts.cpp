#include "controls/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const char* const kWineFontFolder = "/usr/share/wine/fonts";

std::uint16_t BigEndian16(const QByteArray& table, int offset) {
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(table[offset]) << 8) |
                                      static_cast<std::uint8_t>(table[offset + 1]));
}

// The face's em and its Windows ascent and descent in font units, or false for a face without
// the tables (a bitmap face, say).
bool WindowsMetrics(const QFont& face, int& unitsPerEm, int& ascent, int& descent) {
    const QRawFont raw = QRawFont::fromFont(face);
    const QByteArray head = raw.fontTable("head");
    const QByteArray os2 = raw.fontTable("OS/2");
    if (head.size() < 20 || os2.size() < 78)
        return false;
    unitsPerEm = BigEndian16(head, 18);
    ascent = BigEndian16(os2, 74);  // usWinAscent
    descent = BigEndian16(os2, 76); // usWinDescent
    return unitsPerEm > 0 && ascent + descent > 0;
}

// For faces without Windows metrics: the largest pixel size whose platform cell still fits.
TCellFont CellFromPlatformMetrics(QFont font, int cellHeight) {
    auto cellAt = [&font](int pixelSize) {
        font.setPixelSize(pixelSize);
        const QFontMetrics metrics(font);
        return metrics.ascent() + metrics.descent();
    };
    int size = cellHeight;
    // A face that does not scale (a bitmap strike) keeps its one size whatever is asked.
    if (cellAt(cellHeight) != cellAt(cellHeight * 2)) {
        while (size > 1 && cellAt(size) > cellHeight)
            --size;
        for (int step = 0; step < cellHeight && cellAt(size + 1) <= cellHeight; ++step)
            ++size;
    }
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    return {font, metrics.ascent(), metrics.descent()};
}

TCellFont MakeCellFont(const QString& family, int cellHeight, bool bold) {
    QFont font(family);
    font.setBold(bold);
    font.setPixelSize(std::max(cellHeight, 1));
    int unitsPerEm = 0, winAscent = 0, winDescent = 0;
    if (!WindowsMetrics(font, unitsPerEm, winAscent, winDescent))
        return CellFromPlatformMetrics(font, cellHeight);

    const double cellUnits = winAscent + winDescent;
    font.setPixelSize(std::max(1L, std::lround(cellHeight * unitsPerEm / cellUnits)));
    const int ascent = static_cast<int>(std::lround(cellHeight * winAscent / cellUnits));
    return {font, ascent, cellHeight - ascent};
}

} // namespace

void PrepareFaces() {
    const QDir folder(QString::fromLatin1(kWineFontFolder));
    for (const QString& name : folder.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(folder.filePath(name));

    // The first of each list that is there: metric twins first, then a sans face of another
    // cut. Tahoma is also the face of Wine's dialogs, message boxes and menus.
    const std::vector<std::pair<QString, QStringList>> standIns = {
        {QStringLiteral("Arial"), {"Liberation Sans", "Arimo", "DejaVu Sans"}},
        {QStringLiteral("Courier New"), {"Liberation Mono", "Cousine", "DejaVu Sans Mono"}},
        {QStringLiteral("Tahoma"), {"DejaVu Sans", "Liberation Sans", "Arial"}},
    };
    for (const auto& [face, candidates] : standIns) {
        if (QFontDatabase::hasFamily(face))
            continue;
        for (const QString& candidate : candidates) {
            if (candidate != face && QFontDatabase::hasFamily(candidate)) {
                QFont::insertSubstitution(face, candidate);
                break;
            }
        }
    }

    // Wine gives its dialogs "MS Shell Dlg", which Windows maps to one of its own faces. Where
    // none of them is there Wine maps it to whatever it finds, a mathematical face whose lines
    // are too tall for a text field, which then shows nothing: the dialogs take Tahoma, or its
    // stand-in, instead.
    QFont dialogs = QApplication::font();
    const QStringList windowsFaces{"Tahoma", "Microsoft Sans Serif", "MS Sans Serif", "Segoe UI"};
    if (dialogs.family().startsWith(QStringLiteral("MS Shell Dlg")) &&
        !windowsFaces.contains(QFontInfo(dialogs).family())) {
        dialogs.setFamily(QStringLiteral("Tahoma"));
        QApplication::setFont(dialogs);
    }
}

TCellFont CellFont(const QString& family, int cellHeight, bool bold) {
    using Key = std::tuple<QString, bool, int>;
    static std::map<Key, TCellFont> cache;
    cellHeight = std::max(cellHeight, 1);
    const Key key{family, bold, cellHeight};
    if (auto found = cache.find(key); found != cache.end())
        return found->second;
    return cache.emplace(key, MakeCellFont(family, cellHeight, bold)).first->second;
}

TCellFont CellOfFont(const QFont& font) {
    int unitsPerEm = 0, winAscent = 0, winDescent = 0;
    if (!WindowsMetrics(font, unitsPerEm, winAscent, winDescent)) {
        const QFontMetrics metrics(font);
        return {font, metrics.ascent(), metrics.descent()};
    }
    const double pixels = QFontInfo(font).pixelSize();
    return {font, static_cast<int>(std::lround(pixels * winAscent / unitsPerEm)),
            static_cast<int>(std::lround(pixels * winDescent / unitsPerEm))};
}
