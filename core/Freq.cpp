#include "Freq.h"

#include "NumFormat.h"
#include "Real48.h"
#include "TableIndex.h"

#include <cmath>

std::array<int32_t, ModeCount> ZeroOffset = {};

namespace {
size_t Mode(int m)
{
    return size_t(CheckedIndex(m, 0, ModeCount - 1, "Mode"));
}
} // namespace

long double FieldPerPosition(int m)
{
    return RoundToReal48(FreqK[Mode(m)]);
}

long double ResonanceField(int m, int p)
{
    const size_t i = Mode(m);
    return RoundToReal48(FieldPerPosition(m) * ((long double)p - ZeroOffset[i]) + FreqF0[i] / FreqGamma[i]);
}

int32_t FrequencyHz(int m, int p)
{
    const size_t i = Mode(m);
    return int32_t(RoundHalfEven(FreqF0[i] * 1000 + (long double)p * 500));
}

long double FrequencyStepHz(int d)
{
    return RoundToReal48(d == 0 ? 500.0L : std::pow(10.0L, d - 1) * 1000);
}

long double B0StepPositions(int m, int b)
{
    return RoundToReal48(std::pow(10.0L, b - 1) / FieldPerPosition(m));
}
