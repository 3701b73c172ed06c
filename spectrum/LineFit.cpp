#include "LineFit.h"

#include "GFactor.h"
#include "LineShapeModels.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// Magnetic moment of the proton, erg/G.
constexpr double ProtonMoment = 1.410606e-23;
// Levenberg-Marquardt steps per start; a fit that needs more has failed.
constexpr size_t MaxIterations = 100;
// A line whose amplitude is within this many standard uncertainties of zero
// is noise.
constexpr double MinSignificance = 5;
// Below this height over the noise of single points nothing is fitted (white
// noise alone spans about 4 to 5 times its rms over a few hundred points).
constexpr double MinHeightOverNoise = 6;

enum : int { PCentre, PWidth, PAmp, POffset, PSlope, FixedCount };

TShapeKind KindOf(TFitModel model)
{
    switch (model) {
    case TFitModel::Lorentz: return TShapeKind::Lorentz;
    case TFitModel::Voigt: return TShapeKind::Voigt;
    case TFitModel::Pake: return TShapeKind::Pake;
    default: return TShapeKind::Gauss;
    }
}

// The fitted points and the model's parameters: centre, width, amplitude
// (the area), the baseline's offset and slope about the middle of the range,
// then eta (voigt), alpha (pake) and the coupling (multiplets) as they apply.
struct TProblem {
    std::span<const double> X, Y;
    double XMid = 0, Step = 0, Span = 0;
    TFitModel Model = TFitModel::Gauss;
    double ModAmp = 0;
    std::vector<double> Weights{1.0};
    int Eta = -1, Alpha = -1, Coupling = -1;
    int Count = FixedCount;

    TProblem(std::span<const double> x, std::span<const double> y, TFitModel model, const TFitRequest& request)
        : X(x), Y(y), Model(model), ModAmp(request.ModAmp)
    {
        XMid = 0.5 * (x.front() + x.back());
        Span = std::abs(x.back() - x.front());
        Step = Span / double(x.size() - 1);
        if (model == TFitModel::Voigt)
            Eta = Count++;
        if (model == TFitModel::Pake)
            Alpha = Count++;
        if (request.Hyperfine && model != TFitModel::Pake) {
            Weights = MultipletWeights(request.Hyperfine->Nuclei, request.Hyperfine->Spin);
            if (Weights.size() > 1)
                Coupling = Count++;
        }
    }

    TShape Shape(const double* p) const
    {
        TShape s;
        s.Kind = KindOf(Model);
        // Widths the points cannot show (below a quarter of a point, or far
        // beyond the range) are held at those limits; such a fit is then
        // refused by its checks, and the shape's cost stays bounded.
        s.Width = std::clamp(std::abs(p[PWidth]), Step / 4, 20 * Span);
        s.Eta = Eta >= 0 ? p[Eta] : 0;
        s.Alpha = Alpha >= 0 ? std::clamp(std::abs(p[Alpha]), Step / 4, 20 * Span) : 0;
        s.ModAmp = ModAmp;
        return s;
    }

    double CouplingOf(const double* p) const { return Coupling >= 0 ? std::min(std::abs(p[Coupling]), Span) : 0; }

    // The line without its baseline, amplitude `scale`.
    void Line(const double* p, double scale, std::span<double> out) const
    {
        std::fill(out.begin(), out.end(), 0.0);
        AddShapeCurve(Shape(p), p[PCentre], CouplingOf(p), Weights, X, scale, out);
    }

    void Curve(const double* p, std::span<double> out) const
    {
        Line(p, p[PAmp], out);
        for (size_t i = 0; i < X.size(); ++i)
            out[i] += p[POffset] + p[PSlope] * (X[i] - XMid);
    }
};

int Residuals(const gsl_vector* params, void* data, gsl_vector* f)
{
    const auto& problem = *static_cast<const TProblem*>(data);
    // The vectors may be strided (the columns of the Jacobian): copy.
    std::vector<double> p(params->size), curve(f->size);
    for (size_t j = 0; j < p.size(); ++j)
        p[j] = gsl_vector_get(params, j);
    problem.Curve(p.data(), curve);
    for (size_t i = 0; i < curve.size(); ++i) {
        const double r = curve[i] - problem.Y[i];
        if (!std::isfinite(r))
            return GSL_EDOM;
        gsl_vector_set(f, i, r);
    }
    return GSL_SUCCESS;
}

struct TAttempt {
    std::vector<double> Params;
    double Rss = INFINITY;
    std::vector<double> Covariance;  // (J^T J)^-1, Count x Count
    QString Failure;
};

// Amplitude, offset and slope by linear least squares for the shape of `p`.
void SolveLinear(const TProblem& problem, std::vector<double>& p)
{
    const size_t n = problem.X.size();
    std::vector<double> unit(n);
    problem.Line(p.data(), 1, unit);
    gsl_matrix* a = gsl_matrix_alloc(n, 3);
    gsl_vector* y = gsl_vector_alloc(n);
    for (size_t i = 0; i < n; ++i) {
        gsl_matrix_set(a, i, 0, unit[i]);
        gsl_matrix_set(a, i, 1, 1);
        gsl_matrix_set(a, i, 2, problem.X[i] - problem.XMid);
        gsl_vector_set(y, i, problem.Y[i]);
    }
    gsl_vector* c = gsl_vector_alloc(3);
    gsl_matrix* cov = gsl_matrix_alloc(3, 3);
    gsl_multifit_linear_workspace* work = gsl_multifit_linear_alloc(n, 3);
    double chi2 = 0;
    if (gsl_multifit_linear(a, y, c, cov, &chi2, work) == GSL_SUCCESS) {
        p[PAmp] = gsl_vector_get(c, 0);
        p[POffset] = gsl_vector_get(c, 1);
        p[PSlope] = gsl_vector_get(c, 2);
    }
    gsl_multifit_linear_free(work);
    gsl_matrix_free(cov);
    gsl_vector_free(c);
    gsl_vector_free(y);
    gsl_matrix_free(a);
}

TAttempt Minimise(const TProblem& problem, std::vector<double> start)
{
    TAttempt result;
    SolveLinear(problem, start);
    const size_t n = problem.X.size(), p = size_t(problem.Count);
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = Residuals;
    fdf.df = nullptr;  // forward differences
    fdf.n = n;
    fdf.p = p;
    fdf.params = const_cast<TProblem*>(&problem);
    gsl_multifit_nlinear_parameters settings = gsl_multifit_nlinear_default_parameters();
    settings.trs = gsl_multifit_nlinear_trs_lm;
    const std::unique_ptr<gsl_multifit_nlinear_workspace, void (*)(gsl_multifit_nlinear_workspace*)> work(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &settings, n, p), gsl_multifit_nlinear_free);
    gsl_vector_view x0 = gsl_vector_view_array(start.data(), p);
    if (gsl_multifit_nlinear_init(&x0.vector, &fdf, work.get()) != GSL_SUCCESS) {
        result.Failure = QStringLiteral("The model cannot be computed at the starting values.");
        return result;
    }
    int info = 0;
    const int status = gsl_multifit_nlinear_driver(MaxIterations, 1e-9, 1e-9, 0, nullptr, nullptr, &info, work.get());
    if (status == GSL_EMAXITER) {
        result.Failure = QStringLiteral("The fit did not converge in %1 iterations.").arg(MaxIterations);
        return result;
    }
    if (status != GSL_SUCCESS && status != GSL_ENOPROG) {
        result.Failure = QStringLiteral("The fit stopped: %1.").arg(QString::fromLatin1(gsl_strerror(status)));
        return result;
    }
    const gsl_vector* x = gsl_multifit_nlinear_position(work.get());
    result.Params.assign(x->data, x->data + p);
    double rss = 0;
    gsl_blas_ddot(gsl_multifit_nlinear_residual(work.get()), gsl_multifit_nlinear_residual(work.get()), &rss);
    gsl_matrix* cov = gsl_matrix_alloc(p, p);
    gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(work.get()), 0.0, cov);
    result.Covariance.assign(cov->data, cov->data + p * p);
    gsl_matrix_free(cov);
    const bool finite = std::all_of(result.Params.begin(), result.Params.end(), [](double v) { return std::isfinite(v); }) &&
                        std::all_of(result.Covariance.begin(), result.Covariance.end(), [](double v) { return std::isfinite(v); });
    if (!finite || !std::isfinite(rss)) {
        result.Failure = QStringLiteral("The fit reached no defined result (a parameter is not determined by the data).");
        return result;
    }
    result.Rss = rss;
    return result;
}

// The noise of single points, from the median step between neighbours
// (which the smooth line hardly moves): MAD / 0.6745 over sqrt 2.
double PointNoise(std::span<const double> y)
{
    std::vector<double> steps;
    for (size_t i = 1; i < y.size(); ++i)
        steps.push_back(std::abs(y[i] - y[i - 1]));
    if (steps.empty())
        return 0;
    std::nth_element(steps.begin(), steps.begin() + ptrdiff_t(steps.size() / 2), steps.end());
    return steps[steps.size() / 2] / (0.6745 * std::sqrt(2.0));
}

// Starting points from the data: the extremes of the derivative give the
// centre and the peak-to-peak width; the absorption's first moment gives the
// centre of a multiplet. Several widths (and couplings) are tried.
std::vector<std::vector<double>> Starts(const TProblem& problem)
{
    const auto [lo, hi] = std::minmax_element(problem.Y.begin(), problem.Y.end());
    const double xHi = problem.X[size_t(hi - problem.Y.begin())], xLo = problem.X[size_t(lo - problem.Y.begin())];
    const double span = std::abs(problem.X.back() - problem.X.front());
    const double pp = std::clamp(std::abs(xHi - xLo), 2 * problem.Step, span / 2);
    double centre = 0.5 * (xHi + xLo);
    std::vector<double> base(size_t(problem.Count), 0.0);
    std::vector<std::vector<double>> starts;
    const auto add = [&](double width, double coupling, double alpha) {
        std::vector<double> p = base;
        p[PCentre] = centre;
        p[PWidth] = width;
        if (problem.Eta >= 0)
            p[size_t(problem.Eta)] = 0.5;
        if (problem.Alpha >= 0)
            p[size_t(problem.Alpha)] = alpha;
        if (problem.Coupling >= 0)
            p[size_t(problem.Coupling)] = coupling;
        starts.push_back(std::move(p));
    };
    // Half the peak-to-peak width is sigma of a Gaussian, 0.87 times the half width of a Lorentzian.
    const double width = problem.Model == TFitModel::Lorentz ? pp * 0.866 : pp * (problem.Model == TFitModel::Voigt ? 0.75 : 0.5);
    if (problem.Model == TFitModel::Pake) {
        for (const double share : {0.2, 0.4})
            add(share * pp / 2, 0, pp / 2);
    } else if (problem.Coupling >= 0) {
        // Centre of the pattern: first moment of the absorption.
        double area = 0, sum = 0, moment = 0;
        for (size_t i = 0; i < problem.X.size(); ++i) {
            sum += problem.Y[i] * problem.Step;
            area += sum;
            moment += sum * problem.X[i];
        }
        const auto [left, right] = std::minmax(problem.X.front(), problem.X.back());
        if (std::abs(area) > 0 && std::isfinite(moment / area))
            centre = std::clamp(moment / area, left, right);
        const double lines = double(problem.Weights.size() - 1);
        const double smallest = 3 * problem.Step, largest = span / (lines + 1);
        constexpr int couplings = 8;
        for (int k = 0; k < couplings && largest > smallest; ++k) {
            const double a = smallest * std::pow(largest / smallest, double(k) / (couplings - 1));
            for (const double share : {0.15, 0.4})
                add(share * a, a, 0);
        }
    } else {
        for (const double factor : {1.0, 0.5, 2.0})
            add(width * factor, 0, 0);
    }
    return starts;
}

// Standard uncertainty of f(params) by linear propagation of the covariance,
// over the parameters `used` (the others do not enter f).
double Propagate(const std::function<double(const std::vector<double>&)>& f, const std::vector<double>& params,
                 const std::vector<double>& covariance, std::initializer_list<int> used)
{
    const size_t p = params.size();
    std::vector<double> gradient(p, 0.0);
    for (const int j : used) {
        if (j < 0)
            continue;
        const double u = std::sqrt(std::max(covariance[size_t(j) * p + size_t(j)], 0.0));
        const double h = u > 0 ? 1e-3 * u : 1e-8 * (std::abs(params[size_t(j)]) + 1);
        std::vector<double> up = params, down = params;
        up[size_t(j)] += h;
        down[size_t(j)] -= h;
        gradient[size_t(j)] = (f(up) - f(down)) / (2 * h);
    }
    double variance = 0;
    for (size_t i = 0; i < p; ++i)
        for (size_t j = 0; j < p; ++j)
            variance += gradient[i] * covariance[i * p + j] * gradient[j];
    return std::sqrt(std::max(variance, 0.0));
}

// The number of independent points among n whose residuals have the lag-1
// correlation `measured`. The fit of p parameters takes smooth (fully
// correlated) parts out of the noise, about p n / m of its variance for m
// independent points, so the residuals show less correlation than the noise:
// measured = (rho n - p f) / (n - p f) with f = (1 + rho) / (1 - rho). Solved
// for rho by fixed-point steps.
double IndependentPoints(double measured, size_t n, size_t p)
{
    const double count = double(n), params = double(p);
    const double most = count / (params + 1);  // f at which no independent point is left beyond p
    double f = 1;
    for (int k = 0; k < 100; ++k) {
        const double rho = std::clamp((measured * (count - params * f) + params * f) / count, 0.0, 0.9999);
        f = std::min((1 + rho) / (1 - rho), most);
    }
    return count / f;
}

TFitResult Failed(TFitModel model, const QString& reason)
{
    TFitResult r;
    r.Model = model;
    r.Failure = reason;
    return r;
}

bool AllFinite(const TFitResult& r)
{
    std::vector<double> values{r.Centre.Value, r.Centre.U, r.PpWidth.Value, r.PpWidth.U, r.Width.Value, r.Width.U,
                               r.Area.Value,  r.Area.U,   r.Chi2Red,       r.ResidualRms, r.ResidualCorr};
    for (const auto* o : {&r.Eta, &r.M2, &r.Alpha, &r.RHH, &r.A, &r.G})
        if (*o)
            values.insert(values.end(), {(*o)->Value, (*o)->U});
    values.insert(values.end(), r.Curve.begin(), r.Curve.end());
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// One model fitted over the range, its results and their uncertainties.
TFitResult FitModel(std::span<const double> x, std::span<const double> y, TFitModel model, const TFitRequest& request)
{
    const TProblem problem(x, y, model, request);
    const size_t n = x.size(), p = size_t(problem.Count);
    if (n <= p)
        return Failed(model, QStringLiteral("The fit range holds %1 points; the %2 model needs more than %3.")
                                 .arg(n)
                                 .arg(FitModelName(model))
                                 .arg(p));
    // A height within a few times the noise of single points is no line (and
    // not worth the many steps a fit to noise takes).
    const double noise = PointNoise(y);
    const auto [lowest, highest] = std::minmax_element(y.begin(), y.end());
    if (*highest - *lowest < MinHeightOverNoise * noise)
        return Failed(model, QStringLiteral("No line stands above the noise: the height from the lowest to the highest point is %1 times the noise of single points.")
                                 .arg((*highest - *lowest) / noise, 0, 'f', 1));
    // The starts in turn, until a fit leaves residuals at the noise of the points.
    TAttempt best;
    for (const std::vector<double>& start : Starts(problem)) {
        TAttempt attempt = Minimise(problem, start);
        if (attempt.Rss < best.Rss || (best.Params.empty() && best.Failure.isEmpty()))
            best = std::move(attempt);
        if (best.Rss / double(n - p) < 1.5 * noise * noise)
            break;
    }
    if (best.Params.empty())
        return Failed(model, best.Failure.isEmpty() ? QStringLiteral("No starting point for the fit.") : best.Failure);

    TFitResult r;
    r.Ok = true;
    r.Model = model;
    std::vector<double>& params = best.Params;
    params[PWidth] = std::abs(params[PWidth]);
    if (problem.Alpha >= 0)
        params[size_t(problem.Alpha)] = std::abs(params[size_t(problem.Alpha)]);
    if (problem.Coupling >= 0)
        params[size_t(problem.Coupling)] = std::abs(params[size_t(problem.Coupling)]);

    // Residuals and their point-to-point correlation.
    r.Curve.resize(n);
    problem.Curve(params.data(), r.Curve);
    r.Residual.resize(n);
    double lagged = 0;
    for (size_t i = 0; i < n; ++i) {
        r.Residual[i] = y[i] - r.Curve[i];
        if (i > 0)
            lagged += r.Residual[i] * r.Residual[i - 1];
    }
    r.ResidualRms = std::sqrt(best.Rss / double(n));
    r.ResidualCorr = best.Rss > 0 ? lagged / best.Rss : 0;
    r.Chi2Red = request.Noise > 0 ? best.Rss / double(n - p) / (request.Noise * request.Noise) : 0;
    // Correlated residuals carry fewer independent points: n (1 - rho) / (1 + rho)
    // for a first-order (lock-in) correlation. The covariance is scaled by the
    // residual variance over those points' degrees of freedom and by n over
    // their number.
    const double independent = IndependentPoints(r.ResidualCorr, n, p);
    const double inflation = double(n) / independent;
    const double variance = best.Rss / double(n) * independent / (independent - double(p));
    std::vector<double> cov = best.Covariance;
    for (double& c : cov)
        c *= variance * inflation;
    const auto u = [&](int j) { return std::sqrt(std::max(cov[size_t(j) * p + size_t(j)], 0.0)); };
    const auto value = [&](int j) { return TFitValue{params[size_t(j)], u(j)}; };

    r.First = request.First;
    r.Centre = value(PCentre);
    r.Width = value(PWidth);
    r.Area = value(PAmp);
    if (problem.Eta >= 0)
        r.Eta = value(problem.Eta);
    if (problem.Coupling >= 0)
        r.A = value(problem.Coupling);
    const auto ppWidth = [&](const std::vector<double>& q) { return PeakToPeakWidth(problem.Shape(q.data())); };
    r.PpWidth = {ppWidth(params), Propagate(ppWidth, params, cov, {PWidth, problem.Eta, problem.Alpha})};
    if (problem.Alpha >= 0) {
        r.Alpha = value(problem.Alpha);
        const auto m2 = [&](const std::vector<double>& q) {
            return 0.8 * q[size_t(problem.Alpha)] * q[size_t(problem.Alpha)] + q[PWidth] * q[PWidth];
        };
        r.M2 = TFitValue{m2(params), Propagate(m2, params, cov, {PWidth, problem.Alpha})};
        // alpha = (3/2) mu_p / r^3 with alpha in Gs (a frequency sweep: over gamma).
        const double perGauss = request.XPerGauss > 0 ? request.XPerGauss : 1;
        const auto distance = [&](const std::vector<double>& q) {
            return std::cbrt(1.5 * ProtonMoment / (q[size_t(problem.Alpha)] / perGauss)) * 1e8;
        };
        r.RHH = TFitValue{distance(params), Propagate(distance, params, cov, {problem.Alpha})};
    } else if (model == TFitModel::Gauss) {
        // The whole fitted pattern: sigma^2, plus a^2 n I (I + 1) / 3 for a multiplet.
        const double spread = request.Hyperfine && problem.Coupling >= 0
                                  ? request.Hyperfine->Nuclei * request.Hyperfine->Spin * (request.Hyperfine->Spin + 1) / 3
                                  : 0;
        const auto m2 = [&](const std::vector<double>& q) {
            const double a = problem.CouplingOf(q.data());
            return q[PWidth] * q[PWidth] + spread * a * a;
        };
        r.M2 = TFitValue{m2(params), Propagate(m2, params, cov, {PWidth, problem.Coupling})};
    }
    if (request.EsrFrequencyKHz) {
        const auto g = [&](const std::vector<double>& q) {
            return MeasureGFactor(*request.EsrFrequencyKHz, request.B0, q[PCentre]).G;
        };
        r.G = TFitValue{g(params), Propagate(g, params, cov, {PCentre})};
    }
    for (double& c : r.Curve)
        if (!std::isfinite(c))
            c = 0;

    // A fit that describes noise, or a line the points cannot resolve, is no result.
    const double low = std::min(x.front(), x.back()), high = std::max(x.front(), x.back());
    if (!AllFinite(r))
        return Failed(model, QStringLiteral("The fit gave no finite result."));
    if (!(std::abs(r.Area.Value) >= MinSignificance * r.Area.U) || r.Area.Value == 0)
        return Failed(model, QStringLiteral("No line stands above the noise: the fitted area is %1 \u00B1 %2.")
                                 .arg(r.Area.Value, 0, 'g', 3)
                                 .arg(r.Area.U, 0, 'g', 3));
    if (r.Centre.Value < low || r.Centre.Value > high)
        return Failed(model, QStringLiteral("The fitted centre %1 lies outside the fit range %2 to %3.")
                                 .arg(r.Centre.Value, 0, 'g', 6)
                                 .arg(low, 0, 'g', 6)
                                 .arg(high, 0, 'g', 6));
    if (r.PpWidth.Value < problem.Step)
        return Failed(model, QStringLiteral("The fitted line is narrower than the point spacing; the points do not resolve it."));
    if (r.PpWidth.Value > 2 * (high - low))
        return Failed(model, QStringLiteral("The fitted line is wider than the fit range; widen the range."));
    return r;
}

// Bayesian information criterion of a least-squares fit: n ln(RSS / n) + k ln n.
double InformationCriterion(const TFitResult& r, size_t parameters)
{
    const double n = double(r.Residual.size());
    const double rss = std::max(r.ResidualRms * r.ResidualRms * n, 1e-300);
    return n * std::log(rss / n) + double(parameters) * std::log(n);
}

} // namespace

QString FitModelName(TFitModel model)
{
    switch (model) {
    case TFitModel::Gauss: return QStringLiteral("gauss");
    case TFitModel::Lorentz: return QStringLiteral("lorentz");
    case TFitModel::Voigt: return QStringLiteral("voigt");
    case TFitModel::Pake: return QStringLiteral("pake");
    case TFitModel::Auto: return QStringLiteral("auto");
    }
    return {};
}

std::optional<TFitModel> FitModelFromName(const QString& name)
{
    for (const TFitModel m : {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt, TFitModel::Pake, TFitModel::Auto})
        if (name == FitModelName(m))
            return m;
    return std::nullopt;
}

TFitResult FitLineShape(const TLineView& view, const TFitRequest& request)
{
    // GSL's default handler aborts the program; every status is checked here.
    gsl_set_error_handler_off();
    const TFitModel named = request.Model;
    const int count = int(std::min(view.X.size(), view.Y.size()));
    const int first = request.First, last = request.Last < 0 ? count - 1 : request.Last;
    if (first < 0 || last >= count || first > last)
        return Failed(named, QStringLiteral("The fit range %1 to %2 lies outside the spectrum's points 0 to %3.")
                                 .arg(first)
                                 .arg(last)
                                 .arg(count - 1));
    if (request.Hyperfine && (request.Hyperfine->Nuclei < 1 || request.Hyperfine->Nuclei > 20 ||
                              !(request.Hyperfine->Spin >= 0.5 && request.Hyperfine->Spin <= 10) ||
                              std::abs(2 * request.Hyperfine->Spin - std::round(2 * request.Hyperfine->Spin)) > 1e-9))
        return Failed(named, QStringLiteral("A multiplet needs 1 to 20 nuclei of a spin of 1/2 to 10 in steps of 1/2."));
    if (request.Hyperfine && request.Model == TFitModel::Pake)
        return Failed(named, QStringLiteral("A multiplet is fitted with the gauss, lorentz or voigt shape, not pake."));
    const std::span<const double> x = view.X.subspan(size_t(first), size_t(last - first + 1));
    const std::span<const double> y = view.Y.subspan(size_t(first), size_t(last - first + 1));
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }) ||
        !std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); }))
        return Failed(named, QStringLiteral("The spectrum holds a point that is not a finite number."));
    if (x.size() >= 2 && !(std::abs(x.back() - x.front()) > 0))
        return Failed(named, QStringLiteral("The fit range has no extent along x."));
    const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
    if (y.size() >= 2 && *lo == *hi)
        return Failed(named, QStringLiteral("The spectrum is flat over the fit range: there is no line to fit."));
    if (!std::isfinite(request.ModAmp) || request.ModAmp < 0)
        return Failed(named, QStringLiteral("The modulation amplitude is not a usable number."));

    if (request.Model != TFitModel::Auto) {
        TFitResult r = FitModel(x, y, request.Model, request);
        r.First = first;
        return r;
    }
    // auto: the lowest Bayesian information criterion among gauss, lorentz and
    // voigt; BIC rather than AIC so that voigt's extra eta must earn its place.
    std::optional<TFitResult> chosen;
    double chosenCriterion = INFINITY;
    QString firstFailure;
    for (const TFitModel m : {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt}) {
        TFitResult r = FitModel(x, y, m, request);
        if (!r.Ok) {
            if (firstFailure.isEmpty())
                firstFailure = r.Failure;
            continue;
        }
        const double criterion = InformationCriterion(r, TProblem(x, y, m, request).Count);
        if (criterion < chosenCriterion) {
            chosenCriterion = criterion;
            chosen = std::move(r);
        }
    }
    if (!chosen)
        return Failed(TFitModel::Auto, firstFailure);
    chosen->First = first;
    return *chosen;
}
