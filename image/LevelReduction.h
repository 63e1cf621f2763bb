#pragma once
#include <cstdint>

namespace orvane::image {

// Where a 16-bit sample's high byte sits in memory: first for big-endian
// data, second for little-endian data.
int HighByteIndex(bool bigEndian);
// The same for samples in this machine's byte order (what the TIFF library
// delivers after decoding).
int NativeHighByteIndex();

// Writes `keptCount` levels from every `columnStep`-th sample of `samples`,
// starting with the first. These loops run once per pixel of every image:
// they are written so that the compiler vectorises them, with the common
// steps as separate instances.
void KeepLevels8(const std::uint8_t* samples, std::int64_t keptCount, std::int64_t columnStep,
                 std::uint8_t* levels);
// 16-bit samples keep their high byte, found at `highByteIndex` (0 or 1) in
// each sample.
void KeepLevels16(const std::uint8_t* samples, std::int64_t keptCount, std::int64_t columnStep,
                  int highByteIndex, std::uint8_t* levels);

// The same for horizontally differenced samples (TIFF predictor 2, one
// sample per pixel): each sample is the running sum of the row's differences
// so far, modulo the sample size. The library's own accumulation stores every
// sum back to memory and waits for it; here the sum stays in a register and
// only kept levels are written. 16-bit differences are in this machine's
// byte order.
void KeepAccumulatedLevels8(const std::uint8_t* differences, std::int64_t keptCount,
                            std::int64_t columnStep, std::uint8_t* levels);
void KeepAccumulatedLevels16(const std::uint8_t* differences, std::int64_t keptCount,
                             std::int64_t columnStep, std::uint8_t* levels);

} // namespace orvane::image
