#include "LineFitProblem.h"

#include <algorithm>
#include <cmath>

namespace {

TShapeKind KindOf(TFitModel model)
{
    switch (model) {
    case TFitModel::Lorentz: return TShapeKind::Lorentz;
    case TFitModel::Voigt: return TShapeKind::Voigt;
    case TFitModel::Pake: return TShapeKind::Pake;
    default: return TShapeKind::Gauss;
    }
}

double Sign(double v)
{
    return v < 0 ? -1 : 1;
}

// A 3 x 3 symmetric system by Cramer's rule, scaled to a unit diagonal;
// false when it is singular.
bool Solve3(const double m[3][3], const double b[3], double x[3])
{
    const auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double scale[3], s[3][3];
    for (int i = 0; i < 3; ++i) {
        if (!(m[i][i] > 0))
            return false;
        scale[i] = 1 / std::sqrt(m[i][i]);
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            s[i][j] = m[i][j] * scale[i] * scale[j];
    const double d = det(s);
    if (!(std::abs(d) > 1e-12))
        return false;
    for (int k = 0; k < 3; ++k) {
        double c[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                c[i][j] = j == k ? b[i] * scale[i] : s[i][j];
        x[k] = det(c) / d * scale[k];
    }
    return true;
}

} // namespace

TFitProblem::TFitProblem(std::span<const double> x, std::span<const double> y, std::span<const char> used,
                         TFitModel model, const TFitRequest& request)
    : X(x), Y(y), Used(used.begin(), used.end()), Model(model), ModAmp(request.ModAmp)
{
    UsedCount = int(std::count(Used.begin(), Used.end(), 1));
    XMid = 0.5 * (x.front() + x.back());
    Span = std::abs(x.back() - x.front());
    Step = x.size() > 1 ? Span / double(x.size() - 1) : 0;
    if (model == TFitModel::Voigt)
        Theta = Count++;
    if (model == TFitModel::Pake)
        Alpha = Count++;
    if (model != TFitModel::Pake)
        Groups = request.Hyperfine;
    Lines = HyperfineLines(Groups);
    if (!Groups.empty()) {
        Coupling = Count;
        Count += int(Groups.size());
    }
}

double TFitProblem::Eta(const double* p) const
{
    if (Theta < 0)
        return 0;
    const double s = std::sin(p[Theta]);
    return s * s;
}

TShape TFitProblem::Shape(const double* p) const
{
    TShape s;
    s.Kind = KindOf(Model);
    // Widths the points cannot show (below a quarter of a point, or far
    // beyond the range) are held at those limits; such a fit is then
    // refused by its checks, and the shape's cost stays bounded.
    s.Width = std::clamp(std::abs(p[PWidth]), Step / 4, 20 * Span);
    s.Eta = Eta(p);
    s.Alpha = Alpha >= 0 ? std::clamp(std::abs(p[Alpha]), Step / 4, 20 * Span) : 0;
    s.ModAmp = ModAmp;
    return s;
}

double TFitProblem::CouplingOf(const double* p, size_t group) const
{
    return std::min(std::abs(p[size_t(Coupling) + group]), Span);
}

std::vector<double> TFitProblem::Positions(const double* p) const
{
    std::vector<double> at(Lines.Weights.size(), p[PCentre]);
    for (size_t g = 0; g < Groups.size(); ++g) {
        const double a = CouplingOf(p, g);
        for (size_t k = 0; k < at.size(); ++k)
            at[k] += Lines.Offsets[g][k] * a;
    }
    return at;
}

void TFitProblem::Line(const double* p, double scale, std::span<double> out) const
{
    std::fill(out.begin(), out.end(), 0.0);
    std::vector<double> weights = Lines.Weights;
    for (double& w : weights)
        w *= scale;
    const TLineSum sum{ShapeValue, weights, out};
    SumLines(Shape(p), Positions(p), X, {&sum, 1}, Cache.get());
}

void TFitProblem::Curve(const double* p, std::span<double> out) const
{
    Line(p, p[PAmp], out);
    for (size_t i = 0; i < X.size(); ++i)
        out[i] += p[POffset] + p[PSlope] * (X[i] - XMid);
}

void TFitProblem::Jacobian(const double* p, std::span<double> jacobian, bool physical) const
{
    const size_t n = X.size(), lines = Lines.Weights.size();
    std::fill(jacobian.begin(), jacobian.end(), 0.0);
    const auto column = [&](int j) { return jacobian.subspan(size_t(j) * n, n); };
    const TShape shape = Shape(p);
    const double amp = p[PAmp];
    // A parameter held at a limit does not move the curve.
    const auto free = [&](double value, double low, double high) {
        const double v = std::abs(value);
        return v > low && v < high ? Sign(value) : 0.0;
    };
    std::vector<std::vector<double>> weights;
    std::vector<TLineSum> sums;
    const auto add = [&](TShapeChannel channel, double factor, std::span<double> out, const std::vector<double>* times) {
        std::vector<double> w(lines);
        for (size_t k = 0; k < lines; ++k)
            w[k] = factor * Lines.Weights[k] * (times ? (*times)[k] : 1.0);
        weights.push_back(std::move(w));
        sums.push_back({channel, {}, out});
    };
    add(ShapeValue, 1, column(PAmp), nullptr);
    add(ShapeByD, -amp, column(PCentre), nullptr);
    add(ShapeByWidth, amp * free(p[PWidth], Step / 4, 20 * Span), column(PWidth), nullptr);
    if (Theta >= 0)
        add(ShapeByExtra, amp * (physical ? 1.0 : std::sin(2 * p[Theta])), column(Theta), nullptr);
    if (Alpha >= 0)
        add(ShapeByExtra, amp * free(p[Alpha], Step / 4, 20 * Span), column(Alpha), nullptr);
    for (size_t g = 0; g < Groups.size(); ++g) {
        const double a = p[size_t(Coupling) + g];
        add(ShapeByD, -amp * free(a, 0, Span), column(Coupling + int(g)), &Lines.Offsets[g]);
    }
    for (size_t s = 0; s < sums.size(); ++s)
        sums[s].Weights = weights[s];
    SumLines(shape, Positions(p), X, sums, Cache.get());
    for (size_t i = 0; i < n; ++i) {
        column(POffset)[i] = 1;
        column(PSlope)[i] = X[i] - XMid;
    }
    for (size_t i = 0; i < n; ++i)
        if (!Used[i])
            for (int j = 0; j < Count; ++j)
                column(j)[i] = 0;
}

void TFitProblem::SolveLinear(std::vector<double>& p) const
{
    std::vector<double> unit(X.size());
    Line(p.data(), 1, unit);
    SolveLinear(unit, p);
}

double TFitProblem::SolveLinear(std::span<const double> unit, std::vector<double>& p) const
{
    double m[3][3] = {}, b[3] = {}, yy = 0;
    for (size_t i = 0; i < X.size(); ++i) {
        if (!Used[i])
            continue;
        const double basis[3] = {unit[i], 1, X[i] - XMid};
        yy += Y[i] * Y[i];
        for (int r = 0; r < 3; ++r) {
            b[r] += basis[r] * Y[i];
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
        }
    }
    double solution[3];
    if (!Solve3(m, b, solution))
        return INFINITY;
    p[PAmp] = solution[0];
    p[POffset] = solution[1];
    p[PSlope] = solution[2];
    // The least-squares sum left: y.y - solution . b.
    return std::max(yy - (solution[0] * b[0] + solution[1] * b[1] + solution[2] * b[2]), 0.0);
}

double TFitProblem::Rss(const double* p) const
{
    std::vector<double> curve(X.size());
    Curve(p, curve);
    double rss = 0;
    for (size_t i = 0; i < X.size(); ++i)
        if (Used[i])
            rss += (curve[i] - Y[i]) * (curve[i] - Y[i]);
    return rss;
}
