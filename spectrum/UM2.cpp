#include "UM2.h"

#include "MomentWalk.h"

long double MomentWeight(long long k, int power)
{
    __int128 w = 1;
    for (int e = 0; e < power; ++e)
        w *= k;
    return (long double)w;
}

namespace {

template <class Sum>
long double Ratio(Sum numerator, Sum denominator, long double factor, long double correction)
{
    if (denominator == 0)
        return 0;
    return (long double)numerator / denominator * factor - correction;
}

double M2Sums(const TLineView& line, int start, int end, int numeratorPower, int denominatorPower,
              long double factor, Real48 p)
{
    const auto sums = MomentSums<double>(start, end, numeratorPower, denominatorPower,
                                         [&](int i) { return line.YValue(i); });
    return double(Ratio(sums.Numerator, sums.Denominator, double(factor), ModulationCorrection(p)));
}

double M4Sums(const TLineView& line, int start, int end, int numeratorPower, int denominatorPower,
              long double factor)
{
    const auto sums = MomentSums<long double>(start, end, numeratorPower, denominatorPower,
                                              [&](int i) { return line.YValue(i); });
    return double(Ratio(sums.Numerator, sums.Denominator, double(factor), 0));
}

long double DX2(const TLineView& line)
{
    const long double dX = line.XStep();
    return dX * dX;
}

} // namespace

Real48 ModulationCorrection(Real48 p)
{
    return Real48((long double)p * p * 0.25L);
}

double M2FromDerivative(const TLineView& line, int start, int end, Real48 p)
{
    return M2Sums(line, start, end, 3, 1, DX2(line) * (1.0L / 3.0L), p);
}

double M2FromAbsorption(const TLineView& line, int start, int end, Real48 p)
{
    return M2Sums(line, start, end, 2, 0, DX2(line), p);
}

double M4FromDerivative(const TLineView& line, int start, int end)
{
    return M4Sums(line, start, end, 5, 1, DX2(line) * DX2(line) * 0.2L);
}

double M4FromAbsorption(const TLineView& line, int start, int end)
{
    return M4Sums(line, start, end, 4, 0, DX2(line) * DX2(line));
}
