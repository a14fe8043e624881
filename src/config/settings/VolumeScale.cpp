#include "config/settings/VolumeScale.h"

#include <algorithm>
#include <cstdint>

namespace dravel::config {
namespace {

// 655.35 rounded to 64 significant bits, as the extended type holds it:
// kScaleMantissa * 2^-kScaleExponent, slightly below 655.35.
constexpr std::uint64_t kScaleMantissa = 0xA3D6666666666666u;
constexpr int kScaleExponent = 54;
constexpr int kExtendedMantissaBits = 64;

// Just wide enough for a percentage times kScaleMantissa (below 2^71).
struct Wide {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
};

Wide multiply(std::uint64_t a, std::uint32_t b) {
    const std::uint64_t low = (a & 0xFFFFFFFFu) * b;
    const std::uint64_t high = (a >> 32) * b;
    Wide r;
    r.lo = low + (high << 32);
    r.hi = (high >> 32) + (r.lo < low ? 1 : 0);
    return r;
}

int bitLength(const Wide& x) {
    int bits = 0;
    for (std::uint64_t v = x.hi ? x.hi : x.lo; v; v >>= 1) ++bits;
    return x.hi ? bits + 64 : bits;
}

// x / 2^shift rounded half to even; 0 < shift < 64.
Wide shiftRoundHalfEven(const Wide& x, int shift) {
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    const std::uint64_t rest = x.lo & mask;
    Wide q{x.hi >> shift, (x.lo >> shift) | (x.hi << (64 - shift))};
    if (rest > half || (rest == half && (q.lo & 1))) {
        if (++q.lo == 0) ++q.hi;
    }
    return q;
}

}  // namespace

int percentToStored(int percent) {
    const auto p = static_cast<std::uint32_t>(std::clamp(percent, 0, 100));
    // The exact product p * 655.35L, rounded once to the extended type's 64
    // significant bits and once more to an integer.
    Wide product = multiply(kScaleMantissa, p);
    int exponent = kScaleExponent;
    const int excess = bitLength(product) - kExtendedMantissaBits;
    if (excess > 0) {
        product = shiftRoundHalfEven(product, excess);
        exponent -= excess;
    }
    return static_cast<int>(shiftRoundHalfEven(product, exponent).lo);
}

int storedToPercent(int stored) {
    // stored / 655.35 is stored * 100 / 65535. That quotient is never exactly
    // halfway between two integers and stays far enough from halfway that the
    // extended type's rounding cannot change the nearest integer.
    constexpr std::int64_t kDivisor = 2 * 65535;
    const std::int64_t numerator = std::int64_t{stored} * 200 + 65535;
    const std::int64_t floorDiv =
        numerator / kDivisor - ((numerator % kDivisor != 0 && numerator < 0) ? 1 : 0);
    return static_cast<int>(floorDiv);
}

}  // namespace dravel::config
