#pragma once
// The fit's model over its points, internal to the fit: the parameters, the
// curve and its analytic Jacobian. Parameters: centre, width, amplitude (the
// area), the baseline's offset and slope about the middle of the range, then
// as they apply theta (pseudo-Voigt, eta = sin^2 theta, so that eta stays in
// 0..1), alpha (pake) and one coupling per hyperfine group.

#include "LineFit.h"
#include "LineShapeModels.h"

#include <memory>
#include <span>
#include <vector>

enum : int { PCentre, PWidth, PAmp, POffset, PSlope, FixedParameterCount };

struct TFitProblem {
    std::span<const double> X, Y;   // the fitted range
    std::vector<char> Used;         // 0 for a point left out
    int UsedCount = 0;
    double XMid = 0, Step = 0, Span = 0;
    TFitModel Model = TFitModel::Gauss;
    double ModAmp = 0;
    THyperfineGroups Groups;
    THyperfineLines Lines;
    int Theta = -1, Alpha = -1, Coupling = -1;  // first coupling; one per group follows
    int Count = FixedParameterCount;
    // The shape's tables of the last curve, for the Jacobian at the same
    // parameters. A copy of the problem over other points takes a new one.
    std::shared_ptr<TShapeCache> Cache = std::make_shared<TShapeCache>();

    TFitProblem(std::span<const double> x, std::span<const double> y, std::span<const char> used, TFitModel model,
                const TFitRequest& request);

    TShape Shape(const double* p) const;
    double Eta(const double* p) const;
    double CouplingOf(const double* p, size_t group) const;
    // Where the lines stand for the parameters p.
    std::vector<double> Positions(const double* p) const;
    // The line without its baseline, of amplitude `scale`, into out (zeroed first).
    void Line(const double* p, double scale, std::span<double> out) const;
    // Line and baseline.
    void Curve(const double* p, std::span<double> out) const;
    // d curve / d p at every point, column j at j * X.size(); rows of points
    // left out are 0. `physical`: eta's column by eta itself, not by theta.
    void Jacobian(const double* p, std::span<double> jacobian, bool physical = false) const;
    // Amplitude, offset and slope by linear least squares for the shape of p.
    void SolveLinear(std::vector<double>& p) const;
    // The same for a given line of unit amplitude; returns the sum of squares
    // left (infinite when the line cannot be told from offset and slope).
    double SolveLinear(std::span<const double> unit, std::vector<double>& p) const;
    double Rss(const double* p) const;
};
