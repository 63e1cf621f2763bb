#pragma once

namespace orvane::image {

// How a file stores its samples (the SampleFormat tag: 1, 2 and 3).
enum class SampleKind { Unsigned, Signed, Float };

// The type of a file's samples.
struct SampleFormat {
    SampleKind kind = SampleKind::Unsigned;
    int bits = 8;

    int Bytes() const { return bits / 8; }
    bool operator==(const SampleFormat& other) const {
        return kind == other.kind && bits == other.bits;
    }
};

} // namespace orvane::image
