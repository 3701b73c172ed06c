#include "Real48.h"

#include "Errors.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int SignificandBits = 40;      // the hidden 1 and the 39-bit fraction
constexpr int ExponentBias = 129;

// The exponent byte of a non-zero value whose significand lies in [1, 2):
// value = 1.f x 2^(byte - 129); frexp's exponent e (significand in [0.5, 1)) is one more.
int ExponentByte(int frexpExponent)
{
    return frexpExponent - 1 + ExponentBias;
}

} // namespace

long double RoundToReal48(long double v)
{
    static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended format expected");
    if (std::isnan(v))
        throw EMerilError(QStringLiteral("Invalid floating point operation"));
    if (std::isinf(v))
        throw EMerilError(QStringLiteral("Floating point overflow"));
    // Works on the bits of the extended number (64-bit significand with its
    // leading 1 explicit, 15-bit exponent biased by 16383): this runs for
    // every step of an integration, and frexp/ldexp cost several times more.
    uint64_t significand = 0;
    uint16_t signAndExponent = 0;
    std::memcpy(&significand, &v, sizeof significand);
    std::memcpy(&signAndExponent, reinterpret_cast<const char*>(&v) + sizeof significand, sizeof signAndExponent);
    const int biased = signAndExponent & 0x7FFF;
    if (biased == 0)
        return 0;  // zero or far below the smallest 6-byte real
    int exponent = biased - 16383;  // v = 1.f x 2^exponent
    // Round to the top 40 bits, halves to even.
    constexpr int Dropped = 64 - SignificandBits;
    const uint64_t rest = significand & ((uint64_t(1) << Dropped) - 1);
    const uint64_t half = uint64_t(1) << (Dropped - 1);
    significand >>= Dropped;
    if (rest > half || (rest == half && (significand & 1)))
        ++significand;
    if (significand >> SignificandBits) {  // carried into a new leading bit
        significand >>= 1;
        ++exponent;
    }
    const int exponentByte = exponent + ExponentBias;
    if (exponentByte > 255)
        throw EMerilError(QStringLiteral("Floating point overflow"));
    if (exponentByte < 1)
        return 0;
    significand <<= Dropped;
    signAndExponent = uint16_t((signAndExponent & 0x8000) | (exponent + 16383));
    long double rounded = 0;
    std::memcpy(&rounded, &significand, sizeof significand);
    std::memcpy(reinterpret_cast<char*>(&rounded) + sizeof significand, &signAndExponent, sizeof signAndExponent);
    return rounded;
}

TReal48Bytes Real48ToBytes(long double v)
{
    TReal48Bytes bytes{};
    const long double r = RoundToReal48(v);
    if (r == 0)
        return bytes;
    int e = 0;
    const long double m = std::frexp(std::fabs(r), &e);
    // The significand as a 40-bit integer; its top bit is the hidden 1.
    const uint64_t significand = uint64_t(std::ldexp(m, SignificandBits));
    const uint64_t fraction = significand & ((uint64_t(1) << (SignificandBits - 1)) - 1);
    bytes[0] = uint8_t(ExponentByte(e));
    for (int i = 0; i < 5; ++i)
        bytes[size_t(1 + i)] = uint8_t(fraction >> (8 * i));
    if (r < 0)
        bytes[5] |= 0x80;
    return bytes;
}

long double Real48FromBytes(const TReal48Bytes& bytes)
{
    if (bytes[0] == 0)
        return 0;
    uint64_t fraction = 0;
    for (int i = 4; i >= 0; --i)
        fraction = (fraction << 8) | bytes[size_t(1 + i)];
    fraction &= (uint64_t(1) << (SignificandBits - 1)) - 1;
    const uint64_t significand = fraction | (uint64_t(1) << (SignificandBits - 1));
    const long double magnitude = std::ldexp((long double)significand, bytes[0] - ExponentBias - (SignificandBits - 1));
    return (bytes[5] & 0x80) ? -magnitude : magnitude;
}
