#include "panels/ColourMaps.h"

#include "panels/ColourMapTables.h"

namespace orvane::panels {

namespace {

struct PaletteNames {
    Palette Which;
    const char* Name;
    const char* DisplayName;
};

constexpr std::array<PaletteNames, 4> kNames = {{
    {Palette::Grey, "grey", "Grey"},
    {Palette::Viridis, "viridis", "Viridis"},
    {Palette::Cividis, "cividis", "Cividis"},
    {Palette::Terrain, "terrain", "Terrain"},
}};

const PaletteNames& NamesOf(Palette palette) {
    for (const PaletteNames& names : kNames) {
        if (names.Which == palette) {
            return names;
        }
    }
    return kNames.front();
}

std::array<std::uint32_t, 256> BuildGreyTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t level = 0; level < table.size(); ++level) {
        table[level] = 0xFF000000u | level << 16 | level << 8 | level;
    }
    return table;
}

} // namespace

QString PaletteName(Palette palette) {
    return QString::fromLatin1(NamesOf(palette).Name);
}

QString PaletteDisplayName(Palette palette) {
    return QString::fromLatin1(NamesOf(palette).DisplayName);
}

std::optional<Palette> ParsePalette(const QString& name) {
    for (const PaletteNames& names : kNames) {
        if (name.compare(QLatin1String(names.Name), Qt::CaseInsensitive) == 0) {
            return names.Which;
        }
    }
    return std::nullopt;
}

const std::array<std::uint32_t, 256>& PaletteTable(Palette palette) {
    // Function statics: built once, thread-safe, and free of static initialisation order.
    static const std::array<std::uint32_t, 256> grey = BuildGreyTable();
    static const std::array<std::uint32_t, 256> terrain = BuildTerrainTable();
    switch (palette) {
    case Palette::Viridis:
        return kViridisTable;
    case Palette::Cividis:
        return kCividisTable;
    case Palette::Terrain:
        return terrain;
    case Palette::Grey:
        break;
    }
    return grey;
}

QList<std::uint32_t> PaletteColourTable(Palette palette) {
    const auto& table = PaletteTable(palette);
    return QList<std::uint32_t>(table.begin(), table.end());
}

} // namespace orvane::panels
