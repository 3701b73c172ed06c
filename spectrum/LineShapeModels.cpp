#include "LineShapeModels.h"

#include "GoldenSection.h"

#include <gsl/gsl_integration.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <optional>

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

using TChannels = std::array<double, ShapeChannelCount>;

// The unit-area Gaussian's slope at u, its derivative by u and by sigma.
void GaussChannels(double sigma, double u, double& slope, double& byD, double& bySigma)
{
    const double v = u / sigma;
    if (std::abs(v) > GaussReach) {
        slope = byD = bySigma = 0;
        return;
    }
    const double g = std::exp(-0.5 * v * v) / (sigma * std::sqrt(2 * pi));
    slope = -v / sigma * g;
    byD = (v * v - 1) / (sigma * sigma) * g;
    bySigma = v * (3 - v * v) / (sigma * sigma) * g;
}

// The Lorentzian's first harmonic over the modulation amplitude in closed
// form: A(d) = Im(1/z)/pi with z = d - i hwhm, and the cycle average of
// cos(phi)/(z + a cos phi) is (2/a)(1 - z/s), s = sqrt(z^2 - a^2). Written as
// -2/(pi s (s + z)) it loses no digits for small a and is A'(d) at a = 0.
// With F = 1/(s (s + z)), dF/dz = -F^2 (2z + s + z^2/s); z moves by 1 with d
// and by -i with the half width.
void LorentzChannels(double hwhm, double a, double d, double& value, double& byD, double& byWidth)
{
    using TComplex = std::complex<double>;
    // 1 / m as conj(m) / |m|^2: the library's division guards against
    // overflow that these finite, nonzero values never reach.
    const auto inverse = [](const TComplex& m) { return std::conj(m) / std::norm(m); };
    const TComplex z(d, -hwhm);
    const TComplex s = std::sqrt(z - a) * std::sqrt(z + a);
    const TComplex f = inverse(s * (s + z));
    const TComplex slope = -f * f * (2.0 * z + s + z * z * inverse(s));
    value = -2 / pi * f.imag();
    byD = -2 / pi * slope.imag();
    byWidth = 2 / pi * slope.real();
}

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
class TShapeFunction {
public:
    // `resolution`: the finest detail wanted, when coarser than the line (a
    // table's step); the quadratures need resolve no more.
    explicit TShapeFunction(const TShape& shape, double resolution = 0) : F(shape)
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
                PowderFactor.push_back(3 * c * c - 1);
                PowderWeight.push_back(0.5 * w);
            }
        }
    }

    const TShape& Shape() const { return F; }

    // The unmodulated slope A'(d) and its derivatives.
    TChannels Unmodulated(double d) const
    {
        TChannels c{};
        switch (F.Kind) {
        case TShapeKind::Gauss: GaussChannels(F.Width, d, c[ShapeValue], c[ShapeByD], c[ShapeByWidth]); break;
        case TShapeKind::Lorentz: LorentzChannels(F.Width, 0, d, c[ShapeValue], c[ShapeByD], c[ShapeByWidth]); break;
        case TShapeKind::Voigt: {
            TChannels g{};
            LorentzChannels(F.Width, 0, d, c[ShapeValue], c[ShapeByD], c[ShapeByWidth]);
            GaussChannels(VoigtSigma(F.Width), d, g[ShapeValue], g[ShapeByD], g[ShapeByWidth]);
            g[ShapeByWidth] /= Sqrt2Ln2;
            return MixVoigt(c, g);
        }
        case TShapeKind::Pake:
            // The pair's two lines at +-alpha (3 cos^2 theta - 1), averaged over cos theta.
            for (size_t i = 0; i < PowderShift.size(); ++i) {
                double s1, d1, w1, s2, d2, w2;
                GaussChannels(F.Width, d - PowderShift[i], s1, d1, w1);
                GaussChannels(F.Width, d + PowderShift[i], s2, d2, w2);
                const double w = PowderWeight[i];
                c[ShapeValue] += w * (s1 + s2);
                c[ShapeByD] += w * (d1 + d2);
                c[ShapeByWidth] += w * (w1 + w2);
                c[ShapeByExtra] += w * PowderFactor[i] * (d2 - d1);
            }
            break;
        }
        return c;
    }

    // The modulated first harmonic over a and its derivatives.
    TChannels Modulated(double d) const
    {
        if (F.ModAmp == 0)
            return Unmodulated(d);
        switch (F.Kind) {
        case TShapeKind::Lorentz: {
            TChannels c{};
            LorentzChannels(F.Width, F.ModAmp, d, c[ShapeValue], c[ShapeByD], c[ShapeByWidth]);
            return c;
        }
        case TShapeKind::Voigt: {
            TChannels l{};
            LorentzChannels(F.Width, F.ModAmp, d, l[ShapeValue], l[ShapeByD], l[ShapeByWidth]);
            const TChannels g = PhaseAverage(d, [&](double e) {
                TChannels c{};
                GaussChannels(VoigtSigma(F.Width), e, c[ShapeValue], c[ShapeByD], c[ShapeByWidth]);
                c[ShapeByWidth] /= Sqrt2Ln2;
                return c;
            });
            return MixVoigt(l, g);
        }
        default: return PhaseAverage(d, [&](double e) { return Unmodulated(e); });
        }
    }

    // The modulated first harmonic over a, from any channels of this shape.
    template <class TFunction> TChannels PhaseAverage(double d, const TFunction& unmodulated) const
    {
        TChannels sum{};
        for (size_t k = 0; k < PhaseShift.size(); ++k) {
            const TChannels c = unmodulated(d + PhaseShift[k]);
            for (int j = 0; j < ShapeChannelCount; ++j)
                sum[size_t(j)] += PhaseWeight[k] * c[size_t(j)];
        }
        return sum;
    }

private:
    // eta times the Lorentzian part plus 1 - eta times the Gaussian part;
    // by eta, their difference.
    TChannels MixVoigt(const TChannels& l, const TChannels& g) const
    {
        TChannels c{};
        for (const int j : {ShapeValue, ShapeByD, ShapeByWidth})
            c[size_t(j)] = F.Eta * l[size_t(j)] + (1 - F.Eta) * g[size_t(j)];
        c[ShapeByExtra] = l[ShapeValue] - g[ShapeValue];
        return c;
    }

    TShape F;
    std::vector<double> PhaseShift, PhaseWeight;
    std::vector<double> PowderShift, PowderFactor, PowderWeight;
};

// The channels the sums read.
struct TChannelSet {
    int Count = 0;
    int Index[ShapeChannelCount] = {};
    // The first `count` channels.
    explicit TChannelSet(int count) : Count(count)
    {
        for (int k = 0; k < count; ++k)
            Index[k] = k;
    }
    explicit TChannelSet(std::span<const TLineSum> sums)
    {
        for (const TLineSum& s : sums)
            if (std::find(Index, Index + Count, int(s.Channel)) == Index + Count)
                Index[Count++] = int(s.Channel);
    }
};

// Points at x0 + i h, i = 0..n-1 (a spectrum's points), when they are so.
struct TGrid {
    bool Uniform = false;
    double X0 = 0, H = 0;
    explicit TGrid(std::span<const double> x)
    {
        if (x.size() < 2)
            return;
        X0 = x.front();
        H = (x.back() - x.front()) / double(x.size() - 1);
        Uniform = H > 0;
        for (size_t i = 0; i < x.size() && Uniform; ++i)
            Uniform = std::abs(x[i] - (X0 + double(i) * H)) <= 1e-9 * H * double(x.size());
    }
};

// The channels in use of a function on nodes j * step (j whole) over a span
// of d, read back by 4-point Lagrange interpolation. The nodes do not move
// with the line's position, so the interpolated curve changes smoothly with
// it. On a uniform grid whose spacing is a whole number q of steps, the
// interpolation weights are the same at every point for one line, and the
// node index moves by q from point to point.
struct TTable {
    static constexpr double MaxStepsPerSpacing = 1 << 16;
    double From = 0, To = 0;  // the span of d covered
    double H = 0;
    int First = 0;
    int Q = 0;  // grid spacing in steps when whole, else 0
    std::array<std::vector<double>, ShapeChannelCount> Values;

    template <class TFunction>
    TTable(const TFunction& f, double from, double to, double wanted, const TGrid& grid, const TChannelSet& channels,
           double lookups)
        : From(from), To(to), H(wanted)
    {
        // The grid's spacing over a whole number of steps when the nodes
        // that takes cost less than what the shared weights save at the
        // lookups (a node costs a few dozen lookups).
        // A step many times finer than the spacing (a width near 0 in the
        // fit's first iterations) takes its own nodes: the whole number of
        // steps would not fit an int.
        const double stepsPerSpacing = grid.Uniform ? grid.H / wanted : 0;
        if (stepsPerSpacing > 1 && stepsPerSpacing <= MaxStepsPerSpacing) {
            Q = int(std::ceil(stepsPerSpacing));
            H = grid.H / Q;
        } else if (grid.Uniform && stepsPerSpacing <= 1 && (to - from) / grid.H * 30 < lookups) {
            Q = 1;
            H = grid.H;
        }
        First = int(std::floor(from / H)) - 2;
        const int n = int(std::ceil(to / H)) + 3 - First;
        for (int k = 0; k < channels.Count; ++k)
            Values[size_t(channels.Index[k])].resize(size_t(n));
        for (int j = 0; j < n; ++j) {
            const TChannels c = f((First + j) * H);
            for (int k = 0; k < channels.Count; ++k)
                Values[size_t(channels.Index[k])][size_t(j)] = c[size_t(channels.Index[k])];
        }
    }

    static void Weights(double f, double w[4])
    {
        w[0] = -f * (f - 1) * (f - 2) / 6;
        w[1] = (f + 1) * (f - 1) * (f - 2) / 2;
        w[2] = -(f + 1) * f * (f - 2) / 2;
        w[3] = (f + 1) * f * (f - 1) / 6;
    }

    // d within From..To.
    double At(int channel, double d) const
    {
        const double t = d / H - First;
        const int j = int(t);
        double w[4];
        Weights(t - j, w);
        const double* v = &Values[size_t(channel)][size_t(j) - 1];
        return w[0] * v[0] + w[1] * v[1] + w[2] * v[2] + w[3] * v[3];
    }
};

// The points i of x where the offset x[i] - p of a line at p lies within
// from..to (on a uniform grid from the spacing, else from the order of x;
// all points when x is not sorted).
std::pair<size_t, size_t> PointsWithin(const TGrid& grid, std::span<const double> x, bool sorted, double p,
                                       double from, double to)
{
    if (grid.Uniform)
        return {size_t(std::clamp(std::ceil((from + p - grid.X0) / grid.H), 0.0, double(x.size()))),
                size_t(std::clamp(std::floor((to + p - grid.X0) / grid.H) + 1, 0.0, double(x.size())))};
    if (sorted)
        return {size_t(std::lower_bound(x.begin(), x.end(), p + from) - x.begin()),
                size_t(std::upper_bound(x.begin(), x.end(), p + to) - x.begin())};
    return {0, x.size()};
}

// Adds the sums for lines at `positions` over the points points(k) of line
// k, read from `table`, or from the shape itself without a table. Where the
// interpolation weights are not shared along the line, each point counts by
// its own offset d, within from..to.
template <class TPoints>
void AddRegion(const TTable* table, const TShapeFunction& shape, double from, double to, const TGrid& grid,
               std::span<const double> positions, std::span<const double> x, std::span<const TLineSum> sums,
               const TChannelSet& channels, const TPoints& points)
{
    for (size_t k = 0; k < positions.size(); ++k) {
        const double p = positions[k];
        const auto [first, last] = points(k);
        if (first >= last)
            continue;
        if (table && grid.Uniform && table->Q > 0) {
            // One set of weights for the line; the node moves by Q a point.
            // The points kept to those whose nodes lie in the table (the
            // table's margins take the rounding of the range's ends).
            const double t0 = (grid.X0 - p) / table->H - table->First;
            const ptrdiff_t j0 = ptrdiff_t(std::floor(t0)), q = table->Q;
            const ptrdiff_t size = ptrdiff_t(table->Values[size_t(channels.Index[0])].size());
            const auto floorDiv = [](ptrdiff_t a, ptrdiff_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); };
            const ptrdiff_t lowest = std::max<ptrdiff_t>(ptrdiff_t(first), -floorDiv(j0 - 1, q));
            const ptrdiff_t highest = std::min<ptrdiff_t>(ptrdiff_t(last), floorDiv(size - 3 - j0, q) + 1);
            double w[4];
            TTable::Weights(t0 - double(j0), w);
            for (const TLineSum& s : sums) {
                const double* __restrict v = table->Values[size_t(s.Channel)].data() + j0 - 1;
                double* __restrict out = s.Out.data();
                const double w0 = s.Weights[k] * w[0], w1 = s.Weights[k] * w[1], w2 = s.Weights[k] * w[2],
                             w3 = s.Weights[k] * w[3];
                if (q == 1) {
                    for (ptrdiff_t i = lowest; i < highest; ++i)
                        out[i] += w0 * v[i] + w1 * v[i + 1] + w2 * v[i + 2] + w3 * v[i + 3];
                } else {
                    for (ptrdiff_t i = lowest; i < highest; ++i) {
                        const double* u = v + i * q;
                        out[i] += w0 * u[0] + w1 * u[1] + w2 * u[2] + w3 * u[3];
                    }
                }
            }
            continue;
        }
        // Each point by its own offset, one point beyond the range found on
        // either side so that rounding there loses none.
        for (size_t i = first > 0 ? first - 1 : 0; i < std::min(last + 1, x.size()); ++i) {
            const double d = x[i] - p;
            if (!(d >= from && d <= to))
                continue;
            TChannels c{};
            if (table)
                for (int j = 0; j < channels.Count; ++j)
                    c[size_t(channels.Index[j])] = table->At(channels.Index[j], d);
            else
                c = shape.Modulated(d);
            for (const TLineSum& s : sums)
                s.Out[i] += s.Weights[k] * c[size_t(s.Channel)];
        }
    }
}

} // namespace

TShapePoint ModulatedShape(const TShape& shape, double d)
{
    const TChannels c = TShapeFunction(shape).Modulated(d);
    TShapePoint p;
    std::copy(c.begin(), c.end(), p.Of);
    return p;
}

namespace {

// Twice the offset of the falling lobe's extreme of an odd curve f(d).
template <class TFunction> double LobeDistance(const TFunction& f, double reach)
{
    // Search a grid, then refine by golden section.
    const int n = 48;
    int best = 1;
    double lowest = f(reach / n);
    for (int i = 2; i <= n; ++i)
        if (const double v = f(reach * i / n); v < lowest) {
            lowest = v;
            best = i;
        }
    return 2 * GoldenSectionMinimum(f, reach * (best - 1) / n, reach * std::min(best + 1, n) / n, 40);
}

} // namespace

double PeakToPeakWidth(const TShape& shape)
{
    const double width = std::abs(shape.Width);
    switch (shape.Kind) {
    case TShapeKind::Gauss: return 2 * width;
    case TShapeKind::Lorentz: return 2 * width / std::sqrt(3.0);
    default: break;
    }
    // The line is symmetric: its derivative is odd, and the falling lobe's
    // extreme lies at d > 0.
    TShape unmodulated = shape;
    unmodulated.ModAmp = 0;
    const TShapeFunction line(unmodulated);
    const double reach = shape.Kind == TShapeKind::Pake ? 2 * std::abs(shape.Alpha) + 6 * width : 6 * width;
    return LobeDistance([&](double d) { return line.Unmodulated(d)[ShapeValue]; }, reach);
}

double ModulatedPeakToPeak(const TShape& shape)
{
    const TShapeFunction line(shape);
    const double reach = std::abs(shape.ModAmp) + 2 * std::abs(shape.Alpha) + 6 * std::abs(shape.Width);
    return LobeDistance([&](double d) { return line.Modulated(d)[ShapeValue]; }, reach);
}

// The tables of one sum: where each stands and what it holds. Without a
// table a region is evaluated point by point.
struct TShapeCache::TTables {
    TShape Shape;
    double LowX = 0, HighX = 0, LowP = 0, HighP = 0;
    size_t Points = 0, Lines = 0;
    int Channels = 0;
    std::optional<TTable> Slope, Near, Tails;  // Slope: the Pake pattern's unmodulated table

    bool Serves(const TShape& shape, double lowX, double highX, double lowP, double highP, size_t points, size_t lines,
                int channels) const
    {
        return Shape.Kind == shape.Kind && Shape.Width == shape.Width && Shape.Eta == shape.Eta &&
               Shape.Alpha == shape.Alpha && Shape.ModAmp == shape.ModAmp && LowX == lowX && HighX == highX &&
               LowP == lowP && HighP == highP && Points == points && Lines == lines && (Channels & channels) == channels;
    }
};

TShapeCache::TShapeCache() = default;
TShapeCache::~TShapeCache() = default;

void SumLines(const TShape& shape, std::span<const double> positions, std::span<const double> x,
              std::span<const TLineSum> sums, TShapeCache* cache)
{
    if (x.empty() || positions.empty() || sums.empty())
        return;
    const auto [lowX, highX] = std::minmax_element(x.begin(), x.end());
    const auto [lowP, highP] = std::minmax_element(positions.begin(), positions.end());
    const double reach = Reach(shape);
    const double from = std::max(*lowX - *highP, -reach), to = std::min(*highX - *lowP, reach);
    if (!(to >= from))
        return;
    const double lookups = double(x.size()) * double(positions.size());
    const TChannelSet wanted(sums);
    int wantedMask = 0;
    for (int k = 0; k < wanted.Count; ++k)
        wantedMask |= 1 << wanted.Index[k];
    // Kept tables hold every channel, so that the curve's tables also serve
    // its Jacobian at the same parameters.
    const TChannelSet channels = cache ? TChannelSet(ShapeChannelCount) : wanted;
    const TGrid grid(x);
    const bool sorted = grid.Uniform || std::is_sorted(x.begin(), x.end());
    const auto within = [&](double low, double high) {
        return [&, low, high](size_t k) { return PointsWithin(grid, x, sorted, positions[k], low, high); };
    };
    TShapeCache::TTables local;
    TShapeCache::TTables* tables = &local;
    bool build = true;
    if (cache) {
        if (!cache->Tables)
            cache->Tables = std::make_unique<TShapeCache::TTables>();
        tables = cache->Tables.get();
        build = !tables->Serves(shape, *lowX, *highX, *lowP, *highP, x.size(), positions.size(), wantedMask);
        if (build)
            *tables = {shape, *lowX, *highX, *lowP, *highP, x.size(), positions.size(), (1 << ShapeChannelCount) - 1, {}, {}, {}};
    }
    if (shape.Kind == TShapeKind::Pake) {
        // The powder average costs many lines per point: tabulate its
        // channels, then the modulation's phase average from that table.
        const double dataStep = (*highX - *lowX) / double(std::max<size_t>(x.size() - 1, 1));
        const double step = std::max({FeatureWidth(shape) / NodesPerWidth, dataStep / 4, (to - from) / MaxPakeNodes});
        const double a = std::abs(shape.ModAmp);
        const TShapeFunction powder(shape, 4 * step);
        if (build) {
            // The phase average reads the slope at the near table's nodes,
            // which reach up to three of its steps (at most `step`) beyond
            // from..to, plus the modulation either way.
            tables->Slope.emplace([&](double d) { return powder.Unmodulated(d); }, from - a - 4 * step,
                                  to + a + 4 * step, step, grid, channels, lookups);
            if (a > 0)
                tables->Near.emplace(
                    [&](double d) {
                        return powder.PhaseAverage(d, [&](double e) {
                            TChannels c{};
                            for (int k = 0; k < channels.Count; ++k)
                                c[size_t(channels.Index[k])] = tables->Slope->At(channels.Index[k], e);
                            return c;
                        });
                    },
                    from, to, step, grid, channels, lookups);
        }
        return AddRegion(a > 0 ? &*tables->Near : &*tables->Slope, powder, from, to, grid, positions, x, sums, wanted,
                         within(from, to));
    }
    const TShapeFunction line(shape);
    const auto modulated = [&](double d) { return line.Modulated(d); };
    // Near the line the table resolves its narrowest feature; beyond, the
    // Lorentzian tails change only on the scale of their distance, and a
    // coarse table follows them. On a grid the two share their boundary
    // point by point, so that no point is counted twice.
    const double near = std::min(reach, 16 * (std::abs(shape.Width) + std::abs(shape.ModAmp)));
    const double nearFrom = std::max(from, -near), nearTo = std::min(to, near);
    const double fine = FeatureWidth(shape) / NodesPerWidth, coarse = near / 64;
    const bool tails = from < nearFrom || to > nearTo;
    if (build) {
        // The region near the line may lie wholly outside the points.
        if (nearTo > nearFrom && (nearTo - nearFrom) / fine < 0.5 * lookups)
            tables->Near.emplace(modulated, nearFrom, nearTo, fine, grid, channels, lookups);
        if (tails && (to - from) / coarse < 0.5 * lookups)
            tables->Tails.emplace(modulated, from, to, coarse, grid, channels, lookups);
    }
    const auto nearPoints = within(nearFrom, nearTo);
    AddRegion(tables->Near ? &*tables->Near : nullptr, line, nearFrom, nearTo, grid, positions, x, sums, wanted,
              nearPoints);
    if (!tails)
        return;
    const auto allPoints = within(from, to);
    const auto tailPoints = [&](bool left) {
        return [&, left](size_t k) {
            const auto [first, last] = allPoints(k);
            const auto [nearFirst, nearLast] = nearPoints(k);
            if (!sorted)
                return std::pair{first, last};
            return left ? std::pair{first, std::min(last, nearFirst)} : std::pair{std::max(first, nearLast), last};
        };
    };
    const double below = std::nextafter(nearFrom, -INFINITY), above = std::nextafter(nearTo, INFINITY);
    const TTable* coarseTable = tables->Tails ? &*tables->Tails : nullptr;
    if (from < nearFrom)
        AddRegion(coarseTable, line, from, below, grid, positions, x, sums, wanted, tailPoints(true));
    if (to > nearTo)
        AddRegion(coarseTable, line, above, to, grid, positions, x, sums, wanted, tailPoints(false));
}
