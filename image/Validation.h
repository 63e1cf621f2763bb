#pragma once
#include <QStringList>
#include <cstdint>

// The messages of the acceptance rules that fail, in rule order. Empty means
// the file is accepted.
QStringList ValidationMessages(std::uint16_t bitsPerSample, std::uint16_t photometric,
                               std::uint16_t samplesPerPixel, std::uint16_t compression);
