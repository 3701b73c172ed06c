#include "Real48.h"

#include "Errors.h"

#include <cmath>

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
    if (std::isnan(v))
        throw EMerilError(QStringLiteral("Invalid floating point operation"));
    if (std::isinf(v))
        throw EMerilError(QStringLiteral("Floating point overflow"));
    if (v == 0)
        return 0;
    int e = 0;
    const long double m = std::frexp(v, &e);
    // rint rounds halves to even in the default rounding mode.
    const long double rounded = std::ldexp(std::rint(std::ldexp(m, SignificandBits)), e - SignificandBits);
    std::frexp(rounded, &e);
    const int exponent = ExponentByte(e);
    if (exponent > 255)
        throw EMerilError(QStringLiteral("Floating point overflow"));
    if (exponent < 1)
        return 0;
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
