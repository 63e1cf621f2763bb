#pragma once

// Palettes of the 2D picture and the 3D relief: one opaque colour per display level.
// Colours are 0xAARRGGBB, the layout of Qt's QRgb, so the GUI side can use them as they are.

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace orvane::panels {

// Every palette but grey rises evenly in CIELAB lightness, so heights read in order for
// colour-blind users and in greyscale print too.
enum class Palette { Grey, Viridis, Cividis, Terrain };

// In menu order.
inline constexpr std::array<Palette, 4> kAllPalettes = {Palette::Grey, Palette::Viridis,
                                                        Palette::Cividis, Palette::Terrain};

// Stable lower-case name for settings and the command line: "grey", "viridis", ...
QString PaletteName(Palette palette);

// Name shown in the menu: "Grey", "Viridis", ...
QString PaletteDisplayName(Palette palette);

// The palette of a stable name, ignoring case; nothing for an unknown name.
std::optional<Palette> ParsePalette(const QString& name);

// 256 opaque colours, index = display level. Built once, on first use, and never changed.
const std::array<std::uint32_t, 256>& PaletteTable(Palette palette);

// The same colours as a list: the colour table of an 8-bit picture (QImage's QList<QRgb>).
QList<std::uint32_t> PaletteColourTable(Palette palette);

} // namespace orvane::panels
