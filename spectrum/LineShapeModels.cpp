#include "LineShapeModels.h"

#include <gsl/gsl_integration.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>

namespace {

using std::numbers::pi;
const double Sqrt2Ln2 = std::sqrt(2 * std::numbers::ln2);

// Beyond this many sigma a Gaussian is below 1e-31 of its peak.
constexpr double GaussReach = 12;
// Table nodes per smallest feature width; 4-point interpolation then stays
// within about 1e-5 of the line's peak.
constexpr double NodesPerWidth = 16;
// The Pake pattern is always tabulated, on at most this many nodes.
constexpr double MaxPakeNodes = 4096;

double GaussAbsorption(double sigma, double d)
{
    const double u = d / sigma;
    return std::abs(u) > GaussReach ? 0 : std::exp(-0.5 * u * u) / (sigma * std::sqrt(2 * pi));
}

double GaussSlope(double sigma, double d)
{
    return -d / (sigma * sigma) * GaussAbsorption(sigma, d);
}

double LorentzAbsorption(double hwhm, double d)
{
    return hwhm / (pi * (hwhm * hwhm + d * d));
}

double LorentzSlope(double hwhm, double d)
{
    const double q = hwhm * hwhm + d * d;
    return -2 * hwhm * d / (pi * q * q);
}

// The Lorentzian's first harmonic over the modulation amplitude in closed
// form: A(d) = Im(1/z)/pi with z = d - i hwhm, and the cycle average of
// cos(phi)/(z + a cos phi) is (2/a)(1 - z/s), s = sqrt(z^2 - a^2). Written as
// -2/(pi s (s + z)) it loses no digits for small a and is A'(d) at a = 0.
double LorentzModulated(double hwhm, double a, double d)
{
    const std::complex<double> z(d, -hwhm);
    const std::complex<double> s = std::sqrt(z - a) * std::sqrt(z + a);
    return -2 / pi * (1.0 / (s * (s + z))).imag();
}

// Gaussian sigma of the voigt's Gaussian part: the same half width.
double VoigtSigma(double hwhm)
{
    return hwhm / Sqrt2Ln2;
}

// The narrowest feature of the shape, x units.
double FeatureWidth(const TShape& s)
{
    return s.Kind == TShapeKind::Voigt ? VoigtSigma(std::abs(s.Width)) : std::abs(s.Width);
}

// Where the line has fallen to nothing; infinite for the Lorentzian tails.
double Reach(const TShape& s)
{
    switch (s.Kind) {
    case TShapeKind::Gauss: return std::abs(s.ModAmp) + GaussReach * std::abs(s.Width);
    case TShapeKind::Pake: return std::abs(s.ModAmp) + 2 * std::abs(s.Alpha) + GaussReach * std::abs(s.Width);
    default: return INFINITY;
    }
}

// Gauss-Legendre nodes and weights of n points on 0..1, kept per thread
// (computing them costs more than a fit's evaluation of the line).
const std::vector<std::pair<double, double>>& LegendreNodes(int n)
{
    thread_local std::map<int, std::vector<std::pair<double, double>>> cache;
    auto [it, added] = cache.try_emplace(n);
    if (added) {
        gsl_integration_glfixed_table* table = gsl_integration_glfixed_table_alloc(size_t(n));
        for (int i = 0; i < n; ++i) {
            double c = 0, w = 0;
            gsl_integration_glfixed_point(0, 1, size_t(i), &c, &w, table);
            it->second.emplace_back(c, w);
        }
        gsl_integration_glfixed_table_free(table);
    }
    return it->second;
}

// The shape with its quadrature nodes: the modulation phase (trapezoid rule
// on 0..pi, exact to rounding for these smooth periodic integrands once the
// nodes resolve the line) and, for the Pake pattern, cos theta of the
// crystallites (Gauss-Legendre on 0..1).
class TShapeEvaluator {
public:
    // `resolution`: the finest detail wanted, when coarser than the line (a
    // table's step); the quadratures need resolve no more.
    explicit TShapeEvaluator(const TShape& shape, double resolution = 0) : F(shape)
    {
        F.Width = std::abs(F.Width);
        F.Alpha = std::abs(F.Alpha);
        F.ModAmp = std::abs(F.ModAmp);
        const double width = std::max(FeatureWidth(F), resolution);
        if (F.ModAmp > 0 && F.Kind != TShapeKind::Lorentz) {
            const int n = 8 + int(std::ceil(std::min(8 * F.ModAmp / width, 56.0)));
            for (int k = 1; k < n; ++k) {
                const double phi = pi * k / n, s = std::sin(phi);
                PhaseShift.push_back(F.ModAmp * std::cos(phi));
                PhaseWeight.push_back(2.0 / n * s * s);
            }
        }
        if (F.Kind == TShapeKind::Pake) {
            const int n = 12 + int(std::ceil(std::min(8 * F.Alpha / width, 116.0)));
            for (const auto& [c, w] : LegendreNodes(n)) {
                PowderShift.push_back(F.Alpha * (3 * c * c - 1));
                PowderWeight.push_back(0.5 * w);
            }
        }
    }

    double Absorption(double d) const
    {
        switch (F.Kind) {
        case TShapeKind::Gauss: return GaussAbsorption(F.Width, d);
        case TShapeKind::Lorentz: return LorentzAbsorption(F.Width, d);
        case TShapeKind::Voigt:
            return F.Eta * LorentzAbsorption(F.Width, d) + (1 - F.Eta) * GaussAbsorption(VoigtSigma(F.Width), d);
        case TShapeKind::Pake: return Powder(d, GaussAbsorption);
        }
        return 0;
    }

    double Slope(double d) const
    {
        switch (F.Kind) {
        case TShapeKind::Gauss: return GaussSlope(F.Width, d);
        case TShapeKind::Lorentz: return LorentzSlope(F.Width, d);
        case TShapeKind::Voigt: return F.Eta * LorentzSlope(F.Width, d) + (1 - F.Eta) * GaussSlope(VoigtSigma(F.Width), d);
        case TShapeKind::Pake: return Powder(d, GaussSlope);
        }
        return 0;
    }

    double Modulated(double d) const
    {
        if (F.ModAmp == 0)
            return Slope(d);
        switch (F.Kind) {
        case TShapeKind::Lorentz: return LorentzModulated(F.Width, F.ModAmp, d);
        case TShapeKind::Voigt:
            return F.Eta * LorentzModulated(F.Width, F.ModAmp, d) +
                   (1 - F.Eta) * PhaseAverage(d, [&](double e) { return GaussSlope(VoigtSigma(F.Width), e); });
        default: return PhaseAverage(d, [&](double e) { return Slope(e); });
        }
    }

    // The modulated first harmonic over a, from any slope function of this shape.
    template <class TSlope> double PhaseAverage(double d, const TSlope& slope) const
    {
        double sum = 0;
        for (size_t k = 0; k < PhaseShift.size(); ++k)
            sum += PhaseWeight[k] * slope(d + PhaseShift[k]);
        return sum;
    }

private:
    // The pair's two lines at +-alpha (3 cos^2 theta - 1), averaged over cos theta.
    double Powder(double d, double (*line)(double, double)) const
    {
        double sum = 0;
        for (size_t i = 0; i < PowderShift.size(); ++i)
            sum += PowderWeight[i] * (line(F.Width, d - PowderShift[i]) + line(F.Width, d + PowderShift[i]));
        return sum;
    }

    TShape F;
    std::vector<double> PhaseShift, PhaseWeight;
    std::vector<double> PowderShift, PowderWeight;
};

// The modulated shape on nodes d0 + j h, read back by 4-point Lagrange
// interpolation; zero beyond the table where the shape has ended.
class TShapeTable {
public:
    template <class TFunction>
    TShapeTable(const TFunction& f, double from, double to, double step) : D0(from - 2 * step), H(step)
    {
        const int n = int(std::ceil((to - from) / step)) + 5;
        FValues.resize(size_t(n));
        for (int j = 0; j < n; ++j)
            FValues[size_t(j)] = f(D0 + j * H);
    }

    double operator()(double d) const
    {
        const double t = (d - D0) / H;
        const int n = int(FValues.size());
        if (!(t >= 1) || t > n - 2)
            return 0;
        const int j = std::min(int(t), n - 3);
        const double f = t - j;
        const double* v = &FValues[size_t(j) - 1];
        return -f * (f - 1) * (f - 2) / 6 * v[0] + (f + 1) * (f - 1) * (f - 2) / 2 * v[1] -
               (f + 1) * f * (f - 2) / 2 * v[2] + (f + 1) * f * (f - 1) / 6 * v[3];
    }

private:
    double D0, H;
    std::vector<double> FValues;
};

} // namespace

double ShapeAbsorption(const TShape& shape, double d)
{
    return TShapeEvaluator(shape).Absorption(d);
}

double ShapeSlope(const TShape& shape, double d)
{
    return TShapeEvaluator(shape).Slope(d);
}

double ModulatedSlope(const TShape& shape, double d)
{
    return TShapeEvaluator(shape).Modulated(d);
}

std::vector<double> MultipletWeights(int nuclei, double spin)
{
    const int states = int(std::lround(2 * spin)) + 1;
    std::vector<double> w{1};
    for (int n = 0; n < nuclei; ++n) {
        std::vector<double> next(w.size() + size_t(states) - 1, 0.0);
        for (size_t i = 0; i < w.size(); ++i)
            for (int k = 0; k < states; ++k)
                next[i + size_t(k)] += w[i];
        w = std::move(next);
    }
    double total = 0;
    for (const double v : w)
        total += v;
    for (double& v : w)
        v /= total;
    return w;
}

double PeakToPeakWidth(const TShape& shape)
{
    const double width = std::abs(shape.Width);
    switch (shape.Kind) {
    case TShapeKind::Gauss: return 2 * width;
    case TShapeKind::Lorentz: return 2 * width / std::sqrt(3.0);
    default: break;
    }
    // The line is symmetric: its derivative is odd, and the falling lobe's
    // extreme lies at d > 0. Search a grid, then refine by golden section.
    TShape unmodulated = shape;
    unmodulated.ModAmp = 0;
    const TShapeEvaluator line(unmodulated);
    const double reach = shape.Kind == TShapeKind::Pake ? 2 * std::abs(shape.Alpha) + 6 * width : 6 * width;
    const int n = 400;
    int best = 1;
    for (int i = 1; i <= n; ++i)
        if (line.Slope(reach * i / n) < line.Slope(reach * best / n))
            best = i;
    double lo = reach * (best - 1) / n, hi = reach * std::min(best + 1, n) / n;
    const double r = (std::sqrt(5.0) - 1) / 2;
    for (int k = 0; k < 60; ++k) {
        const double a = hi - r * (hi - lo), b = lo + r * (hi - lo);
        if (line.Slope(a) < line.Slope(b))
            hi = b;
        else
            lo = a;
    }
    return lo + hi;
}

void AddShapeCurve(const TShape& shape, double centre, double coupling, std::span<const double> weights,
                   std::span<const double> x, double scale, std::span<double> out)
{
    if (x.empty())
        return;
    const double middle = 0.5 * double(weights.size() - 1);
    const auto [lowX, highX] = std::minmax_element(x.begin(), x.end());
    const double spread = std::abs(coupling) * middle;
    const double reach = Reach(shape);
    const double from = std::max(*lowX - centre - spread, -reach), to = std::min(*highX - centre + spread, reach);
    const double lookups = double(x.size()) * double(weights.size());
    const auto addFromTable = [&](const TShapeTable& table) {
        for (size_t k = 0; k < weights.size(); ++k) {
            const double at = centre + (double(k) - middle) * coupling, w = scale * weights[k];
            for (size_t i = 0; i < x.size(); ++i)
                out[i] += w * table(x[i] - at);
        }
    };
    if (!(to > from))
        return;
    if (shape.Kind == TShapeKind::Pake) {
        // The powder average costs many lines per point: tabulate its slope,
        // then the modulation's phase average from that table.
        const double dataStep = (*highX - *lowX) / double(std::max<size_t>(x.size() - 1, 1));
        const double step = std::max({FeatureWidth(shape) / NodesPerWidth, dataStep / 4, (to - from) / MaxPakeNodes});
        const double a = std::abs(shape.ModAmp);
        const TShapeEvaluator powder(shape, 4 * step);
        const TShapeTable slope([&](double d) { return powder.Slope(d); }, from - a - step, to + a + step, step);
        if (a == 0)
            return addFromTable(slope);
        return addFromTable(TShapeTable([&](double d) { return powder.PhaseAverage(d, slope); }, from, to, step));
    }
    const TShapeEvaluator line(shape);
    const double step = FeatureWidth(shape) / NodesPerWidth;
    if ((to - from) / step < 0.5 * lookups)
        return addFromTable(TShapeTable([&](double d) { return line.Modulated(d); }, from, to, step));
    for (size_t k = 0; k < weights.size(); ++k) {
        const double at = centre + (double(k) - middle) * coupling, w = scale * weights[k];
        for (size_t i = 0; i < x.size(); ++i) {
            const double d = x[i] - at;
            if (std::abs(d) <= reach)
                out[i] += w * line.Modulated(d);
        }
    }
}
