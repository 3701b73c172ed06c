#include "UM2.h"

#include <cstdlib>

long double MomentWeight(long long k, int power)
{
    __int128 w = 1;
    for (int e = 0; e < power; ++e)
        w *= k;
    return (long double)w;
}

namespace {

// Walks Start, Start +- 1, ..., End; k counts from 1 at Start.
template <class Visit>
void Walk(int start, int end, Visit visit)
{
    const int step = end - start > 0 ? 1 : -1;
    const long long n = std::llabs((long long)end - start) + 1;
    for (long long k = 1, i = start; k <= n; ++k, i += step)
        visit(k, int(i));
}

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
    double numerator = 0, denominator = 0;
    Walk(start, end, [&](long long k, int i) {
        const double y = line.YValue(i);
        numerator += double(MomentWeight(k, numeratorPower)) * y;
        denominator += double(MomentWeight(k, denominatorPower)) * y;
    });
    return double(Ratio(numerator, denominator, double(factor), ModulationCorrection(p)));
}

double M4Sums(const TLineView& line, int start, int end, int numeratorPower, int denominatorPower,
              long double factor)
{
    long double numerator = 0, denominator = 0;
    Walk(start, end, [&](long long k, int i) {
        const long double y = line.YValue(i);
        numerator += MomentWeight(k, numeratorPower) * y;
        denominator += MomentWeight(k, denominatorPower) * y;
    });
    return double(Ratio(numerator, denominator, double(factor), 0));
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
