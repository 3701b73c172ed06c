#include "LineFitStarts.h"

#include "StrongestLine.h"

#include <gsl/gsl_fft_halfcomplex.h>
#include <gsl/gsl_fft_real.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>

namespace {

// Scan steps of a coupling over its whole range on the top level, at most.
constexpr double MaxScanSteps = 120;
// Candidates kept from each scan.
constexpr size_t Candidates = 2;

std::vector<double> StartVector(const TFitProblem& problem, double centre, double width)
{
    std::vector<double> p(size_t(problem.Count), 0.0);
    p[PCentre] = centre;
    p[PWidth] = width;
    if (problem.Theta >= 0)
        p[size_t(problem.Theta)] = std::numbers::pi / 4;  // eta 0.5
    return p;
}

// The model's width parameter for a line whose recorded extremes (the
// modulation included) lie pp apart. Without modulation the width is in
// proportion to pp; with it, found by bisection to half a per cent.
double WidthFromPp(const TFitProblem& problem, double pp)
{
    const std::vector<double> p = StartVector(problem, 0, 1);
    TShape shape = problem.Shape(p.data());
    shape.Width = 1;
    const double unmodulated = pp / PeakToPeakWidth(shape);
    if (!(shape.ModAmp > 0.05 * pp))
        return unmodulated;
    const auto recorded = [&](double width) {
        shape.Width = width;
        return ModulatedPeakToPeak(shape);
    };
    // A recorded width the stated modulation alone exceeds: the start
    // without it (the fit then finds what the points allow).
    double low = unmodulated / 100, high = unmodulated;
    if (recorded(low) >= pp)
        return unmodulated;
    for (int k = 0; k < 8; ++k) {
        const double mid = std::sqrt(low * high);
        (recorded(mid) < pp ? low : high) = mid;
    }
    return std::sqrt(low * high);
}

// The pattern's curve on a uniform grid, for the scans: each line placed on
// the grid by linear interpolation between two nodes, and the placed lines
// convolved (by FFT) with the shape sampled on the grid. Its error, about
// (h / w)^2 / 8 of a line for lines w wide on a grid h apart, does not
// change which candidates are better; the fit proper uses the exact curve.
class TGridModel {
public:
    TGridModel(const TFitProblem& problem, const std::vector<double>& p) : Problem(problem)
    {
        const size_t n = problem.X.size();
        H = n > 1 ? (problem.X.back() - problem.X.front()) / double(n - 1) : 0;
        for (size_t i = 0; i < n; ++i)
            if (!(std::abs(problem.X[i] - problem.X.front() - double(i) * H) <= 1e-6 * std::abs(H)))
                H = 0;  // not a uniform grid: the exact curve serves
        if (!(H > 0))
            return;
        // Lines may stand a quarter span beyond either end; no line reaches
        // a point round the circle of the transform.
        Margin = n / 4 + 1;
        Size = 2 * (n + 2 * Margin);
        while (!SmallFactors(Size))
            ++Size;
        Tables = &TransformTables(Size);
        // The shape on a sorted grid of offsets (where its tables serve
        // best), then in the transform's order: offsets from 0 up, then the
        // negative ones.
        const size_t half = Size / 2;
        std::vector<double> d(Size), line(Size, 0.0);
        for (size_t j = 0; j < Size; ++j)
            d[j] = H * (double(j) - double(half));
        const std::vector<double> at{0.0}, one{1.0};
        const TLineSum unit{ShapeValue, one, line};
        SumLines(problem.Shape(p.data()), at, d, {&unit, 1});
        Kernel.resize(Size);
        for (size_t j = 0; j < Size; ++j)
            Kernel[(j + Size - half) % Size] = line[j];
        gsl_fft_real_transform(Kernel.data(), 1, Size, Tables->Real.get(), Tables->Work.get());
    }

    // Sum of squares with the best amplitude, offset and slope for p.
    double Rss(std::vector<double>& p) const
    {
        if (!(H > 0)) {
            Problem.SolveLinear(p);
            return Problem.Rss(p.data());
        }
        const size_t n = Problem.X.size();
        std::vector<double> placed(Size, 0.0);
        const std::vector<double> positions = Problem.Positions(p.data());
        for (size_t k = 0; k < positions.size(); ++k) {
            const double u = (positions[k] - Problem.X.front()) / H + double(Margin);
            if (!(u >= 0 && u < double(n + 2 * Margin - 1)))
                continue;
            const size_t i = size_t(u);
            placed[i] += Problem.Lines.Weights[k] * (1 - (u - double(i)));
            placed[i + 1] += Problem.Lines.Weights[k] * (u - double(i));
        }
        gsl_fft_real_transform(placed.data(), 1, Size, Tables->Real.get(), Tables->Work.get());
        // The product of two transforms in GSL's half-complex packing:
        // element 0 real, then the real and imaginary parts of each
        // frequency in turn, and the last one real for an even size.
        placed[0] *= Kernel[0];
        for (size_t k = 1; k + 1 < Size; k += 2) {
            const double re = placed[k] * Kernel[k] - placed[k + 1] * Kernel[k + 1];
            const double im = placed[k] * Kernel[k + 1] + placed[k + 1] * Kernel[k];
            placed[k] = re;
            placed[k + 1] = im;
        }
        if (Size % 2 == 0)
            placed[Size - 1] *= Kernel[Size - 1];
        gsl_fft_halfcomplex_inverse(placed.data(), 1, Size, Tables->Inverse.get(), Tables->Work.get());
        return Problem.SolveLinear(std::span<const double>(placed).subspan(Margin, n), p);
    }

private:
    // GSL's tables of the transforms of one size, kept per thread (working
    // them out costs more than a transform).
    struct TTransformTables {
        std::unique_ptr<gsl_fft_real_wavetable, void (*)(gsl_fft_real_wavetable*)> Real;
        std::unique_ptr<gsl_fft_halfcomplex_wavetable, void (*)(gsl_fft_halfcomplex_wavetable*)> Inverse;
        std::unique_ptr<gsl_fft_real_workspace, void (*)(gsl_fft_real_workspace*)> Work;
    };
    static const TTransformTables& TransformTables(size_t size)
    {
        thread_local std::map<size_t, TTransformTables> kept;
        auto it = kept.find(size);
        if (it == kept.end())
            it = kept.emplace(size, TTransformTables{{gsl_fft_real_wavetable_alloc(size), gsl_fft_real_wavetable_free},
                                                      {gsl_fft_halfcomplex_wavetable_alloc(size), gsl_fft_halfcomplex_wavetable_free},
                                                      {gsl_fft_real_workspace_alloc(size), gsl_fft_real_workspace_free}})
                     .first;
        return it->second;
    }

    static bool SmallFactors(size_t n)
    {
        for (const size_t f : {2, 3, 5})
            while (n % f == 0)
                n /= f;
        return n == 1;
    }

    const TFitProblem& Problem;
    double H = 0;
    size_t Margin = 0, Size = 0;
    const TTransformTables* Tables = nullptr;
    std::vector<double> Kernel;  // the shape's transform
};

// Every k-th point of the problem, for the scans on broadened lines.
struct TCoarse {
    std::vector<double> X, Y;
    TFitProblem Problem;
    TCoarse(const TFitProblem& full, size_t k) : Problem(full)
    {
        std::vector<char> used;
        for (size_t i = 0; i < full.X.size(); i += k) {
            X.push_back(full.X[i]);
            Y.push_back(full.Y[i]);
            used.push_back(full.Used[i]);
        }
        Problem.X = X;
        Problem.Y = Y;
        Problem.Used = std::move(used);
        Problem.UsedCount = int(std::count(Problem.Used.begin(), Problem.Used.end(), 1));
        Problem.Cache = std::make_shared<TShapeCache>();
    }
};

// Centre of a pattern: a hyperfine pattern is symmetric, so its derivative
// is odd about the centre, where the sum of y(c + u) y(c - u) is most
// negative. Searched on at most about 2048 points, then refined on all.
double SymmetryCentre(const TFitProblem& problem)
{
    const std::span<const double> y = problem.Y;
    const ptrdiff_t n = ptrdiff_t(y.size());
    const auto score = [&](ptrdiff_t sum, ptrdiff_t stride) {
        double total = 0;
        for (ptrdiff_t i = std::max<ptrdiff_t>(0, sum - n + 1); i <= std::min(sum, n - 1); i += stride)
            if (problem.Used[size_t(i)] && problem.Used[size_t(sum - i)])
                total += y[size_t(i)] * y[size_t(sum - i)];
        return total;
    };
    const auto search = [&](ptrdiff_t from, ptrdiff_t to, ptrdiff_t step, ptrdiff_t stride) {
        ptrdiff_t best = from;
        double lowest = INFINITY;
        for (ptrdiff_t sum = from; sum <= to; sum += step)
            if (const double s = score(sum, stride); s < lowest) {
                lowest = s;
                best = sum;
            }
        return best;
    };
    const ptrdiff_t stride = std::max<ptrdiff_t>(1, n / 2048);
    const ptrdiff_t coarse = search(0, 2 * n - 2, 2 * stride, stride);
    const ptrdiff_t best = search(std::max<ptrdiff_t>(0, coarse - 2 * stride), std::min(2 * n - 2, coarse + 2 * stride), 1, 1);
    return 0.5 * (problem.X[size_t(best / 2)] + problem.X[size_t((best + 1) / 2)]);
}

struct TCandidate {
    std::vector<double> P;
    double Rss = INFINITY;
};

void SortAndKeep(std::vector<TCandidate>& candidates, size_t kept)
{
    std::sort(candidates.begin(), candidates.end(), [](const TCandidate& a, const TCandidate& b) { return a.Rss < b.Rss; });
    if (candidates.size() > kept)
        candidates.resize(kept);
}

std::vector<double> Grid(double from, double to, double step)
{
    std::vector<double> values;
    const int n = std::max(1, int(std::ceil((to - from) / step)));
    for (int k = 0; k <= n; ++k)
        values.push_back(from + (to - from) * k / n);
    return values;
}

// The candidates at the lowest local minima of a scan in which `set` puts
// each value into the parameters.
template <class TSet>
std::vector<TCandidate> ScanMinima(const TGridModel& model, const TCandidate& start, const std::vector<double>& values,
                                   const TSet& set, size_t kept)
{
    std::vector<TCandidate> scan;
    for (const double v : values) {
        TCandidate c = start;
        set(c.P, v);
        c.Rss = model.Rss(c.P);
        scan.push_back(std::move(c));
    }
    std::vector<TCandidate> minima;
    for (size_t k = 0; k < scan.size(); ++k)
        if ((k == 0 || scan[k].Rss <= scan[k - 1].Rss) && (k + 1 == scan.size() || scan[k].Rss <= scan[k + 1].Rss))
            minima.push_back(scan[k]);
    SortAndKeep(minima, kept);
    return minima;
}

// Ways of letting groups share a coupling to begin with ("several
// patterns"): with three groups or fewer every partition of them, else all
// together and each alone. Couplings of nearly the same size are the
// common trap of a search one coupling at a time.
std::vector<std::vector<std::vector<size_t>>> Partitions(size_t groups)
{
    std::vector<std::vector<std::vector<size_t>>> all{{}};
    for (size_t g = 0; g < groups; ++g) {
        std::vector<std::vector<std::vector<size_t>>> next;
        for (const auto& partition : all) {
            for (size_t k = 0; k < partition.size(); ++k) {
                auto joined = partition;
                joined[k].push_back(g);
                next.push_back(joined);
            }
            auto alone = partition;
            alone.push_back({g});
            next.push_back(alone);
        }
        all = std::move(next);
    }
    if (groups <= 3)
        return all;
    std::vector<std::vector<size_t>> together(1), apart;
    for (size_t g = 0; g < groups; ++g) {
        together[0].push_back(g);
        apart.push_back({g});
    }
    return {together, apart};
}

// Hyperfine groups: the centre from the pattern's symmetry; the couplings
// from scans on lines broadened 2^level times, the top level over each
// coupling's whole range, each lower one within a few steps of the last;
// the centre and the width on the lines' own width.
std::vector<std::vector<double>> MultipletStarts(const TFitProblem& problem, double pp)
{
    const size_t groups = problem.Groups.size();
    const double width = WidthFromPp(problem, pp);
    // Each group's coupling lies between a quarter of a line width and the
    // value that spreads its pattern over the whole range; its scan step
    // moves the group's outer line by half a line width.
    std::vector<double> low(groups), high(groups), reach(groups);
    for (size_t g = 0; g < groups; ++g) {
        reach[g] = problem.Groups[g].Nuclei * problem.Groups[g].Spin;
        low[g] = 0.25 * pp;
        high[g] = std::max(problem.Span / (2 * reach[g]), 2 * low[g]);
    }
    const auto step = [&](size_t g, int level) { return 0.5 * pp * std::ldexp(1.0, level) / reach[g]; };
    int top = 0;
    for (size_t g = 0; g < groups; ++g)
        while ((high[g] - low[g]) / step(g, top) > MaxScanSteps)
            ++top;
    const auto coupling = [&](size_t g) { return size_t(problem.Coupling) + g; };
    const auto points = [&](int level) {
        return TCoarse(problem, size_t(std::max(1.0, std::floor(pp * std::ldexp(1.0, level) / (6 * problem.Step)))));
    };
    // Groups that share one coupling, scanned together.
    const auto scanClass = [&](const TGridModel& q, TCandidate& c, const std::vector<size_t>& members, int level,
                               int steps) {
        double from = 0, to = INFINITY, s = INFINITY;
        for (const size_t g : members) {
            const double a = c.P[coupling(g)];
            from = std::max(from, steps ? std::max(low[g], a - steps * step(g, level)) : low[g]);
            to = std::min(to, steps ? std::min(high[g], a + steps * step(g, level)) : high[g]);
            s = std::min(s, step(g, level));
        }
        if (!(to > from))
            return;
        const std::vector<TCandidate> best = ScanMinima(
            q, c, Grid(from, to, s), [&](std::vector<double>& p, double v) {
                for (const size_t g : members)
                    p[coupling(g)] = v;
            },
            1);
        if (!best.empty() && best[0].Rss <= c.Rss)
            c = best[0];
    };

    // The top level: every coupling the same, scanned over the whole range
    // (its best minima each go on); then for each pattern the classes of
    // groups that share a coupling in turn, and each group on its own near there.
    const TCoarse topPoints = points(top);
    const TCandidate base{StartVector(problem, SymmetryCentre(problem), width * std::ldexp(1.0, top))};
    const TGridModel q(topPoints.Problem, base.P);
    double from = 0, to = INFINITY, s = INFINITY;
    for (size_t g = 0; g < groups; ++g) {
        from = std::max(from, low[g]);
        to = std::min(to, high[g]);
        s = std::min(s, step(g, top));
    }
    const std::vector<TCandidate> shared = ScanMinima(
        q, base, Grid(from, std::max(to, from + s), s),
        [&](std::vector<double>& p, double v) {
            for (size_t g = 0; g < groups; ++g)
                p[coupling(g)] = v;
        },
        groups == 1 ? Candidates + 1 : Candidates);
    std::vector<TCandidate> candidates;
    for (const std::vector<std::vector<size_t>>& partition : groups > 1 ? Partitions(groups) : decltype(Partitions(1)){})
        for (TCandidate c : shared) {
            if (partition.size() > 1)
                for (const std::vector<size_t>& members : partition)
                    scanClass(q, c, members, top, 0);
            for (size_t g = 0; g < groups; ++g)
                scanClass(q, c, {g}, top, 6);
            candidates.push_back(std::move(c));
        }
    if (groups == 1)
        candidates = shared;
    SortAndKeep(candidates, Candidates + (groups == 1));
    // Down the levels, each coupling within a few steps of the last.
    for (int level = top - 1; level >= 0; --level) {
        const TCoarse levelPoints = points(level);
        for (TCandidate& c : candidates)
            c.P[PWidth] = width * std::ldexp(1.0, level);
        const TGridModel model(levelPoints.Problem, candidates.front().P);
        for (TCandidate& c : candidates) {
            c.Rss = model.Rss(c.P);
            for (size_t g = 0; g < groups; ++g)
                scanClass(model, c, {g}, level, 6);
        }
        SortAndKeep(candidates, Candidates);
    }
    // On the lines' own width: the centre within a line width, and the
    // width itself (the strongest line's extremes include any overlap).
    for (TCandidate& c : candidates)
        c.P[PWidth] = width;
    const TGridModel own(problem, candidates.front().P);
    std::vector<std::pair<double, TGridModel>> widths;
    for (const double w : Grid(0.25 * width, 1.5 * width, 0.25 * width)) {
        std::vector<double> p = candidates.front().P;
        p[PWidth] = w;
        widths.emplace_back(std::piecewise_construct, std::forward_as_tuple(w), std::forward_as_tuple(problem, p));
    }
    for (TCandidate& c : candidates) {
        const double centre = pp / 8;
        const std::vector<TCandidate> best = ScanMinima(
            own, c, Grid(c.P[PCentre] - 2 * centre, c.P[PCentre] + 2 * centre, centre),
            [&](std::vector<double>& p, double v) { p[PCentre] = v; }, 1);
        if (!best.empty())
            c = best[0];
        for (const auto& [w, model] : widths) {
            TCandidate other = c;
            other.P[PWidth] = w;
            other.Rss = model.Rss(other.P);
            if (other.Rss < c.Rss)
                c = other;
        }
    }
    SortAndKeep(candidates, Candidates);
    std::vector<std::vector<double>> starts;
    for (const TCandidate& c : candidates)
        starts.push_back(c.P);
    return starts;
}

} // namespace

std::vector<std::vector<double>> FitStarts(const TFitProblem& problem, double noise)
{
    const TLineLobes lobes = StrongestLine(problem.Y, 3 * noise);
    double pp = 4 * problem.Step, centre = problem.X[size_t(std::max(lobes.Peak, 0))];
    if (lobes.Peak >= 0 && lobes.Partner >= 0) {
        pp = std::abs(problem.X[size_t(lobes.Peak)] - problem.X[size_t(lobes.Partner)]);
        centre = 0.5 * (problem.X[size_t(lobes.Peak)] + problem.X[size_t(lobes.Partner)]);
    }
    pp = std::clamp(pp, 2 * problem.Step, problem.Span / 2);
    if (!problem.Groups.empty())
        return MultipletStarts(problem, pp);
    std::vector<std::vector<double>> starts;
    if (problem.Model == TFitModel::Pake) {
        // The horns are the outer extremes of the whole pattern.
        const auto [lo, hi] = std::minmax_element(problem.Y.begin(), problem.Y.end());
        const double xHi = problem.X[size_t(hi - problem.Y.begin())], xLo = problem.X[size_t(lo - problem.Y.begin())];
        const double horns = std::clamp(std::abs(xHi - xLo), 2 * problem.Step, problem.Span / 2);
        for (const double share : {0.2, 0.4}) {
            std::vector<double> p = StartVector(problem, 0.5 * (xHi + xLo), share * horns / 2);
            p[size_t(problem.Alpha)] = horns / 2;
            starts.push_back(std::move(p));
        }
        return starts;
    }
    const double width = WidthFromPp(problem, pp);
    for (const double factor : {1.0, 0.5, 2.0})
        starts.push_back(StartVector(problem, centre, width * factor));
    return starts;
}
