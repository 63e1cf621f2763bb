#pragma once

// The colour tables behind PaletteTable: published ones as data, the terrain one built here.

#include <array>
#include <cstdint>

namespace orvane::panels {

extern const std::array<std::uint32_t, 256> kViridisTable;
extern const std::array<std::uint32_t, 256> kCividisTable;

// Deep blue through teal, green and tan to near white, with CIELAB lightness rising linearly
// from 25 to 95.
std::array<std::uint32_t, 256> BuildTerrainTable();

} // namespace orvane::panels
