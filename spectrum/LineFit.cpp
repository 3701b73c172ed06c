#include "LineFit.h"

#include "LineFitCovariance.h"
#include "LineFitProblem.h"
#include "LineFitStarts.h"
#include "SpectrumNoise.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// GSL's default error handler aborts the program; every status is checked
// here instead. Switched off once, as the program starts.
[[maybe_unused]] const bool GslAbortsOff = (gsl_set_error_handler_off(), true);

// Magnetic moment of the proton, erg/G.
constexpr double ProtonMoment = 1.410606e-23;
// h / muB in T/GHz, from the exact SI value of h and muB of CODATA 2018.
constexpr double PlanckOverBohrMagneton = 6.62607015e-34 / 9.2740100783e-24 * 1e9;
// Levenberg-Marquardt steps per start; a fit that needs more has not converged.
constexpr int MaxIterations = 200;
// A line is there when its matched-filter amplitude stands this many times
// above that amplitude's noise (beyond what a fit to noise alone finds by
// choosing its position and width), or when its peak-to-peak height clears
// the range white noise spans over the fitted points.
constexpr double MinMatchedFilter = 6;
// Residuals keep structure when chi2_red exceeds this, their correlation
// exceeds the noise's by this share of 1 - rho, and noise like them would
// make the wings improbable: twice the log-likelihood ratio beyond the 0.1 %
// point of chi-square with 2 degrees of freedom.
constexpr double MisfitChi2 = 1.5;
constexpr double MisfitCorrelation = 0.25;
constexpr double MisfitMismatch = 13.8;

std::vector<double> Params(const gsl_vector* v)
{
    std::vector<double> p(v->size);
    for (size_t j = 0; j < p.size(); ++j)
        p[j] = gsl_vector_get(v, j);
    return p;
}

int Residuals(const gsl_vector* params, void* data, gsl_vector* f)
{
    const auto& problem = *static_cast<const TFitProblem*>(data);
    const std::vector<double> p = Params(params);
    std::vector<double> curve(f->size);
    problem.Curve(p.data(), curve);
    for (size_t i = 0; i < curve.size(); ++i) {
        const double r = problem.Used[i] ? curve[i] - problem.Y[i] : 0;
        if (!std::isfinite(r))
            return GSL_EDOM;
        gsl_vector_set(f, i, r);
    }
    return GSL_SUCCESS;
}

int JacobianOf(const gsl_vector* params, void* data, gsl_matrix* jacobian)
{
    const auto& problem = *static_cast<const TFitProblem*>(data);
    const std::vector<double> p = Params(params);
    const size_t n = problem.X.size();
    std::vector<double> columns(n * size_t(problem.Count));
    problem.Jacobian(p.data(), columns);
    for (size_t j = 0; j < size_t(problem.Count); ++j)
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(columns[j * n + i]))
                return GSL_EDOM;
            gsl_matrix_set(jacobian, i, j, columns[j * n + i]);
        }
    return GSL_SUCCESS;
}

struct TAttempt {
    std::vector<double> Params;
    double Rss = INFINITY;
    QString Failure;
};

bool Cancelled(const TFitRequest& request)
{
    return request.Cancel && request.Cancel->load();
}

const QString CancelledText = QStringLiteral("The fit was cancelled.");

TAttempt Minimise(const TFitProblem& problem, std::vector<double> start, const TFitRequest& request)
{
    TAttempt result;
    problem.SolveLinear(start);
    const size_t n = problem.X.size(), p = size_t(problem.Count);
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = Residuals;
    fdf.df = JacobianOf;
    fdf.n = n;
    fdf.p = p;
    fdf.params = const_cast<TFitProblem*>(&problem);
    gsl_multifit_nlinear_parameters settings = gsl_multifit_nlinear_default_parameters();
    settings.trs = gsl_multifit_nlinear_trs_lm;
    const std::unique_ptr<gsl_multifit_nlinear_workspace, void (*)(gsl_multifit_nlinear_workspace*)> work(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &settings, n, p), gsl_multifit_nlinear_free);
    gsl_vector_view x0 = gsl_vector_view_array(start.data(), p);
    if (gsl_multifit_nlinear_init(&x0.vector, &fdf, work.get()) != GSL_SUCCESS) {
        result.Failure = QStringLiteral("The model cannot be computed at the starting values.");
        return result;
    }
    bool converged = false;
    for (int iteration = 0; iteration < MaxIterations && !converged; ++iteration) {
        if (Cancelled(request)) {
            result.Failure = CancelledText;
            return result;
        }
        const int status = gsl_multifit_nlinear_iterate(work.get());
        if (status == GSL_ENOPROG)
            break;  // no step lowers the sum of squares any more
        if (status != GSL_SUCCESS) {
            result.Failure = QStringLiteral("The fit stopped: %1.").arg(QString::fromLatin1(gsl_strerror(status)));
            return result;
        }
        int info = 0;
        converged = gsl_multifit_nlinear_test(1e-8, 1e-8, 0, &info, work.get()) == GSL_SUCCESS;
    }
    if (!converged && gsl_multifit_nlinear_niter(work.get()) >= size_t(MaxIterations)) {
        result.Failure = QStringLiteral("The fit did not converge in %1 iterations.").arg(MaxIterations);
        return result;
    }
    result.Params = Params(gsl_multifit_nlinear_position(work.get()));
    double rss = 0;
    gsl_blas_ddot(gsl_multifit_nlinear_residual(work.get()), gsl_multifit_nlinear_residual(work.get()), &rss);
    if (!std::isfinite(rss) ||
        !std::all_of(result.Params.begin(), result.Params.end(), [](double v) { return std::isfinite(v); })) {
        result.Params.clear();
        result.Failure = QStringLiteral("The fit reached no defined result (a parameter is not determined by the data).");
        return result;
    }
    result.Rss = rss;
    return result;
}

// Standard uncertainty of f(params) by linear propagation of the covariance,
// over the parameters `used` (the others do not enter f).
double Propagate(const std::function<double(const std::vector<double>&)>& f, const std::vector<double>& params,
                 const std::vector<double>& covariance, const std::vector<int>& used)
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
                               r.Area.Value,  r.Area.U,   r.Chi2Red,       r.ResidualRms, r.ResidualCorr,
                               r.GUFit,       r.GUField};
    for (const auto* o : {&r.Eta, &r.M2, &r.Alpha, &r.RHH, &r.G})
        if (*o)
            values.insert(values.end(), {(*o)->Value, (*o)->U});
    for (const TFitValue& a : r.A)
        values.insert(values.end(), {a.Value, a.U});
    values.insert(values.end(), r.Curve.begin(), r.Curve.end());
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// `matched`: the amplitude of a fit that was made, over its noise.
TFitResult NoLine(TFitModel model, double height, std::optional<double> matched)
{
    QString text = QStringLiteral("No line stands above the noise: the peak-to-peak height is %1 times the noise of "
                                  "single points")
                       .arg(height, 0, 'f', 1);
    if (matched)
        text += QStringLiteral(", the fitted line's amplitude %1 times its noise").arg(std::isfinite(*matched) ? *matched : 0.0, 0, 'f', 1);
    return Failed(model, text + QLatin1Char('.'));
}

// g at the fitted centre: the field B0 + centre on a field sweep, the
// frequency plus the centre on a frequency sweep. Its uncertainty from the
// centre, and from the rounding of the stored texts (half their last digit,
// as a rectangular distribution).
void FitG(const TFitRequest& request, const TFitValue& centre, TFitResult& r)
{
    const bool frequencySweep = request.XPerGauss != 1;
    const double frequency = *request.EsrFrequencyKHz + (frequencySweep ? centre.Value : 0);
    const double field = request.B0 + (frequencySweep ? 0 : centre.Value);
    const double g = (frequency * 1e-6) / (field * 1e-4) * PlanckOverBohrMagneton;
    const auto rounding = [](double digit) { return digit / (2 * std::sqrt(3.0)); };
    r.GUFit = std::abs(g * centre.U / (frequencySweep ? frequency : field));
    r.GUField = std::abs(g) * std::hypot(rounding(request.B0Digit) / field, rounding(request.FrequencyDigitKHz) / frequency);
    r.G = TFitValue{g, std::hypot(r.GUFit, r.GUField)};
}

// One model fitted over the range, its results and their uncertainties.
// `wingView`: the whole view, whose ends are the wings the noise was measured on.
TFitResult FitModel(std::span<const double> x, std::span<const double> y, std::span<const char> used,
                    TFitModel model, const TFitRequest& request, const TSpectrumNoise& noise,
                    std::span<const double> wingView)
{
    const TFitProblem problem(x, y, used, model, request);
    const size_t n = x.size(), p = size_t(problem.Count), count = size_t(problem.UsedCount);
    if (count <= p)
        return Failed(model, QStringLiteral("The fit range holds %1 usable points; the %2 model needs more than %3.")
                                 .arg(count)
                                 .arg(FitModelTitle(model))
                                 .arg(p));
    // Whether a line is there follows from the data: the height of the
    // fitted points, or the amplitude of the fitted shape as a matched
    // filter, against the noise of single points (not the residuals).
    double low = INFINITY, high = -INFINITY;
    for (size_t i = 0; i < n; ++i)
        if (used[i]) {
            low = std::min(low, y[i]);
            high = std::max(high, y[i]);
        }
    const double height = (high - low) / noise.Rms;
    const double noiseRange = 2 * std::sqrt(2 * std::log(double(count))) + 1;
    // The starts in turn, until a fit leaves residuals at the noise of the points.
    TAttempt best;
    for (const std::vector<double>& start : FitStarts(problem, noise.Rms)) {
        TAttempt attempt = Minimise(problem, start, request);
        if (attempt.Failure == CancelledText)
            return Failed(model, CancelledText);
        if (attempt.Rss < best.Rss || (best.Params.empty() && best.Failure.isEmpty()))
            best = std::move(attempt);
        if (best.Rss / double(count - p) < 1.5 * noise.Rms * noise.Rms)
            break;
    }
    if (best.Params.empty())
        return !(height >= noiseRange) ? NoLine(model, height, std::nullopt)
               : Failed(model, best.Failure.isEmpty() ? QStringLiteral("No starting point for the fit.") : best.Failure);
    // Two groups with couplings of nearly the same size may have found each
    // other's: the fit from the swapped couplings decides.
    for (size_t g = 0; g < problem.Groups.size(); ++g)
        for (size_t h = g + 1; h < problem.Groups.size(); ++h) {
            std::vector<double> swapped = best.Params;
            double& a = swapped[size_t(problem.Coupling) + g];
            double& b = swapped[size_t(problem.Coupling) + h];
            if (!(std::abs(a - b) < 0.2 * std::max(std::abs(a), std::abs(b))))
                continue;
            std::swap(a, b);
            TAttempt attempt = Minimise(problem, swapped, request);
            if (attempt.Failure == CancelledText)
                return Failed(model, CancelledText);
            if (attempt.Rss < best.Rss)
                best = std::move(attempt);
        }

    TFitResult r;
    r.Ok = true;
    r.Model = model;
    r.NoiseCorrelation = noise.Correlation;
    r.LeftOut = int(n - count);
    std::vector<double>& params = best.Params;
    for (const int j : {int(PWidth), problem.Alpha})
        if (j >= 0)
            params[size_t(j)] = std::abs(params[size_t(j)]);
    for (size_t g = 0; g < problem.Groups.size(); ++g)
        params[size_t(problem.Coupling) + g] = problem.CouplingOf(params.data(), g);

    // Residuals and their point-to-point correlation (between neighbours used).
    r.Curve.resize(n);
    problem.Curve(params.data(), r.Curve);
    r.Residual.assign(n, 0.0);
    double lagged = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!used[i])
            continue;
        r.Residual[i] = y[i] - r.Curve[i];
        if (i > 0 && used[i - 1])
            lagged += r.Residual[i] * r.Residual[i - 1];
    }
    r.ResidualRms = std::sqrt(best.Rss / double(count));
    r.ResidualCorr = best.Rss > 0 ? lagged / best.Rss : 0;

    // The covariance in the physical parameters (eta itself, not theta), for
    // noise correlated as measured, scaled by the residual variance over
    // the degrees of freedom the correlated noise leaves.
    std::vector<double> physical = params;
    if (problem.Theta >= 0)
        physical[size_t(problem.Theta)] = problem.Eta(params.data());
    std::vector<double> jacobian(n * p);
    problem.Jacobian(params.data(), jacobian, true);
    TUnitCovariance unit = NoiseCovariance(jacobian, n, p, noise.Correlation);
    if (!unit.Ok)
        return Failed(model, QStringLiteral("The fit reached no defined result (a parameter is not determined by the data)."));
    // The amplitude's noise from the noise of single points: a matched filter.
    const double matched = std::abs(params[PAmp]) / (noise.Rms * std::sqrt(std::max(unit.Matrix[PAmp * p + PAmp], 0.0)));
    const auto residualVariance = [&](const TUnitCovariance& c) {
        const double freedom = double(count) - c.Absorbed;
        return best.Rss / (freedom >= 1 ? freedom : std::max(double(count - p), 1.0));
    };
    r.Chi2Red = residualVariance(unit) / (noise.Rms * noise.Rms);
    // Structure in the residuals: chi2_red well above 1, residuals smoother
    // than the noise, and residuals that cannot be noise of the kind the
    // wings show (their rms and correlation taken as the noise's would make
    // the wings improbable; with strongly correlated noise the wings alone
    // may read it several times too small). Otherwise the residuals measure
    // the noise's correlation over the whole range, more closely than the
    // wings can.
    const double residualCorrelation =
        ResidualNoiseCorrelation(jacobian, n, p, r.Residual, used, MaxNoiseCorrelation);
    const TUnitCovariance fromResiduals = NoiseCovariance(jacobian, n, p, residualCorrelation);
    const TSpectrumNoise residualNoise{std::sqrt(residualVariance(fromResiduals.Ok ? fromResiduals : unit)),
                                       residualCorrelation};
    r.Misfit = r.Chi2Red > MisfitChi2 &&
               r.ResidualCorr > noise.Correlation + MisfitCorrelation * (1 - noise.Correlation) &&
               NoiseMismatch(wingView, std::vector<double>(wingView.size(), 0.0), residualNoise) > MisfitMismatch;
    if (!r.Misfit && fromResiduals.Ok) {
        r.NoiseCorrelation = residualCorrelation;
        unit = fromResiduals;
    }
    std::vector<double> cov = unit.Matrix;
    for (double& c : cov)
        c *= residualVariance(unit);
    const auto u = [&](int j) { return std::sqrt(std::max(cov[size_t(j) * p + size_t(j)], 0.0)); };
    const auto value = [&](int j) { return TFitValue{physical[size_t(j)], u(j)}; };

    r.Centre = value(PCentre);
    r.Width = value(PWidth);
    r.Area = value(PAmp);
    if (problem.Theta >= 0)
        r.Eta = value(problem.Theta);
    for (size_t g = 0; g < problem.Groups.size(); ++g)
        r.A.push_back(value(problem.Coupling + int(g)));
    const auto ppWidth = [&](const std::vector<double>& q) {
        TShape s = problem.Shape(q.data());
        s.Width = std::abs(q[PWidth]);
        if (problem.Theta >= 0)
            s.Eta = std::clamp(q[size_t(problem.Theta)], 0.0, 1.0);
        return PeakToPeakWidth(s);
    };
    r.PpWidth = {ppWidth(physical), Propagate(ppWidth, physical, cov, {PWidth, problem.Theta, problem.Alpha})};
    if (problem.Alpha >= 0) {
        const size_t a = size_t(problem.Alpha);
        r.Alpha = value(problem.Alpha);
        const auto m2 = [&](const std::vector<double>& q) { return 0.8 * q[a] * q[a] + q[PWidth] * q[PWidth]; };
        r.M2 = TFitValue{m2(physical), Propagate(m2, physical, cov, {PWidth, problem.Alpha})};
        // alpha = (3/2) mu_p / r^3 with alpha in Gs (a frequency sweep: over gamma).
        const double perGauss = request.XPerGauss > 0 ? request.XPerGauss : 1;
        const auto distance = [&](const std::vector<double>& q) {
            return std::cbrt(1.5 * ProtonMoment / (q[a] / perGauss)) * 1e8;
        };
        r.RHH = TFitValue{distance(physical), Propagate(distance, physical, cov, {problem.Alpha})};
    } else if (model == TFitModel::Gauss) {
        // The whole fitted pattern: sigma^2, plus a^2 n I (I + 1) / 3 per group.
        const auto m2 = [&](const std::vector<double>& q) {
            double sum = q[PWidth] * q[PWidth];
            for (size_t g = 0; g < problem.Groups.size(); ++g) {
                const double a = q[size_t(problem.Coupling) + g];
                sum += HyperfineSpread(problem.Groups[g]) * a * a;
            }
            return sum;
        };
        std::vector<int> inM2{PWidth};
        for (size_t g = 0; g < problem.Groups.size(); ++g)
            inM2.push_back(problem.Coupling + int(g));
        r.M2 = TFitValue{m2(physical), Propagate(m2, physical, cov, inM2)};
    }
    if (request.EsrFrequencyKHz)
        FitG(request, r.Centre, r);
    for (double& c : r.Curve)
        if (!std::isfinite(c))
            c = 0;
    if (!AllFinite(r))
        return Failed(model, QStringLiteral("The fit gave no finite result."));

    if (!(height >= noiseRange) && !(matched >= MinMatchedFilter))
        return NoLine(model, height, matched);
    const double left = std::min(x.front(), x.back()), right = std::max(x.front(), x.back());
    if (r.Centre.Value < left || r.Centre.Value > right)
        return Failed(model, QStringLiteral("The fitted centre %1 lies outside the fit range %2 to %3.")
                                 .arg(r.Centre.Value, 0, 'g', 6)
                                 .arg(left, 0, 'g', 6)
                                 .arg(right, 0, 'g', 6));
    if (r.PpWidth.Value < problem.Step)
        return Failed(model, QStringLiteral("The fitted line is narrower than the point spacing; the points do not resolve it."));
    if (r.PpWidth.Value > 2 * (right - left))
        return Failed(model, QStringLiteral("The fitted line is wider than the fit range; widen the range."));
    // A coupling the points cannot tell (the lines of its group fall on one
    // another) has no meaningful value.
    for (size_t g = 0; g < r.A.size(); ++g)
        if (!(r.A[g].U < 100 * (r.A[g].Value + r.PpWidth.Value)))
            return Failed(model, QStringLiteral("The spectrum does not show the splitting of hyperfine group %1 (a = %2 "
                                                "\u00b1 %3): fit without that group, or with another pattern.")
                                     .arg(g + 1)
                                     .arg(r.A[g].Value, 0, 'g', 3)
                                     .arg(r.A[g].U, 0, 'g', 3));
    return r;
}

// Bayesian information criterion of a least-squares fit: n ln(RSS / n) + k ln n.
double InformationCriterion(const TFitResult& r, size_t parameters, size_t points)
{
    const double n = double(points);
    const double rss = std::max(r.ResidualRms * r.ResidualRms * n, 1e-300);
    return n * std::log(rss / n) + double(parameters) * std::log(n);
}

} // namespace

QString FitModelName(TFitModel model)
{
    switch (model) {
    case TFitModel::Gauss: return QStringLiteral("gauss");
    case TFitModel::Lorentz: return QStringLiteral("lorentz");
    case TFitModel::Voigt: return QStringLiteral("pseudo-voigt");
    case TFitModel::Pake: return QStringLiteral("pake");
    case TFitModel::Auto: return QStringLiteral("auto");
    }
    return {};
}

QString FitModelTitle(TFitModel model)
{
    return model == TFitModel::Voigt ? QStringLiteral("pseudo-Voigt") : FitModelName(model);
}

std::optional<TFitModel> FitModelFromName(const QString& name)
{
    if (name == QLatin1String("voigt"))
        return TFitModel::Voigt;
    for (const TFitModel m : {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt, TFitModel::Pake, TFitModel::Auto})
        if (name == FitModelName(m))
            return m;
    return std::nullopt;
}

TFitResult FitLineShape(const TLineView& view, const TFitRequest& request)
{
    const TFitModel named = request.Model;
    const int count = int(std::min(view.X.size(), view.Y.size()));
    const int first = request.First, last = request.Last < 0 ? count - 1 : request.Last;
    if (first < 0 || last >= count || first > last)
        return Failed(named, QStringLiteral("The fit range %1 to %2 lies outside the spectrum's points 0 to %3.")
                                 .arg(first)
                                 .arg(last)
                                 .arg(count - 1));
    if (const QString problem = HyperfineProblem(request.Hyperfine); !problem.isEmpty())
        return Failed(named, problem);
    if (!request.Hyperfine.empty() && request.Model == TFitModel::Pake)
        return Failed(named, QStringLiteral("Hyperfine groups are fitted with the gauss, lorentz or pseudo-Voigt shape, not pake."));
    const std::span<const double> x = view.X.subspan(size_t(first), size_t(last - first + 1));
    const std::span<const double> y = view.Y.subspan(size_t(first), size_t(last - first + 1));
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }) ||
        !std::all_of(y.begin(), y.end(), [](double v) { return std::isfinite(v); }))
        return Failed(named, QStringLiteral("The spectrum holds a point that is not a finite number."));
    if (x.size() >= 2 && !(std::abs(x.back() - x.front()) > 0))
        return Failed(named, QStringLiteral("The fit range has no extent along x."));
    std::vector<char> used(x.size(), 1);
    for (size_t i = 0; i < used.size() && size_t(first) + i < request.LeftOut.size(); ++i)
        used[i] = !request.LeftOut[size_t(first) + i];
    double low = INFINITY, high = -INFINITY;
    for (size_t i = 0; i < y.size(); ++i)
        if (used[i]) {
            low = std::min(low, y[i]);
            high = std::max(high, y[i]);
        }
    if (!(high > low))
        return Failed(named, QStringLiteral("The spectrum is flat over the fit range: there is no line to fit."));
    if (!std::isfinite(request.ModAmp) || request.ModAmp < 0)
        return Failed(named, QStringLiteral("The modulation amplitude is not a usable number."));
    TSpectrumNoise noise{request.Noise, std::clamp(request.NoiseCorrelation, 0.0, MaxNoiseCorrelation)};
    if (!(request.Noise > 0)) {
        const std::vector<double> zero(view.Y.size(), 0.0);
        noise = MeasureNoise(view.Y, zero);
    }

    const auto fit = [&](TFitModel m) {
        TFitResult r = FitModel(x, y, used, m, request, noise, view.Y);
        r.First = first;
        return r;
    };
    if (request.Model != TFitModel::Auto)
        return fit(request.Model);
    // auto: the lowest Bayesian information criterion among gauss, lorentz and
    // pseudo-Voigt; BIC rather than AIC so that eta must earn its place.
    std::optional<TFitResult> chosen;
    double chosenCriterion = INFINITY;
    QString firstFailure;
    for (const TFitModel m : {TFitModel::Gauss, TFitModel::Lorentz, TFitModel::Voigt}) {
        TFitResult r = fit(m);
        if (r.Failure == CancelledText)
            return Failed(TFitModel::Auto, CancelledText);
        if (!r.Ok) {
            if (firstFailure.isEmpty())
                firstFailure = r.Failure;
            continue;
        }
        const size_t parameters = size_t(FixedParameterCount) + (m == TFitModel::Voigt) + request.Hyperfine.size();
        const double criterion = InformationCriterion(r, parameters, y.size() - size_t(r.LeftOut));
        if (criterion < chosenCriterion) {
            chosenCriterion = criterion;
            chosen = std::move(r);
        }
    }
    if (!chosen)
        return Failed(TFitModel::Auto, firstFailure);
    return *chosen;
}
