#pragma once
// The 6-byte real: 1 sign bit, a 39-bit fraction with a hidden leading 1 and
// an 8-bit exponent biased by 129; an exponent byte of 0 means zero. Stored
// little-endian: byte 0 the exponent, bytes 1..5 the fraction (lowest byte
// first), the sign in the top bit of byte 5. Its range is about 2.9e-39 to
// 1.7e38, with 40 significant bits (about 12 decimal digits).
//
// Rounding to the format: to the nearest 40-bit significand, halves to even.
// A result below the smallest magnitude (2^-128) becomes zero; a result above
// the largest, an infinity or a NaN throws EMerilError ("Floating point
// overflow" / "Invalid floating point operation").

#include <array>
#include <cstdint>

using TReal48Bytes = std::array<uint8_t, 6>;

long double RoundToReal48(long double v);
// The bytes of v rounded to the format.
TReal48Bytes Real48ToBytes(long double v);
// The exact value of stored bytes.
long double Real48FromBytes(const TReal48Bytes& bytes);

// A value held in the 6-byte format: every assignment rounds, every use
// converts back to an extended number.
class Real48 {
public:
    Real48() = default;
    Real48(long double v) : FValue(RoundToReal48(v)) {}
    Real48& operator=(long double v)
    {
        FValue = RoundToReal48(v);
        return *this;
    }
    Real48& operator+=(long double v) { return *this = FValue + v; }
    Real48& operator-=(long double v) { return *this = FValue - v; }
    Real48& operator*=(long double v) { return *this = FValue * v; }
    Real48& operator/=(long double v) { return *this = FValue / v; }
    operator long double() const { return FValue; }

    TReal48Bytes Bytes() const { return Real48ToBytes(FValue); }
    static Real48 FromBytes(const TReal48Bytes& bytes) { return Real48(Real48FromBytes(bytes)); }

private:
    long double FValue = 0;
};
