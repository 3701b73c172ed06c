#include "Views.h"

#include "SeriesExtremes.h"

#include <algorithm>

std::vector<double> DerivativeView(const TLineView& spectrum, std::span<const double> baseline)
{
    std::vector<double> view;
    if (spectrum.Last < spectrum.First)
        return view;
    view.reserve(size_t(spectrum.Last - spectrum.First + 1));
    for (int i = spectrum.First; i <= spectrum.Last; ++i)
        view.push_back(double((long double)spectrum.YValue(i) - baseline[size_t(i)]));
    return view;
}

int AbsorptionFactor(const TLineView& spectrum)
{
    return LowestYIndex(spectrum) > HighestYIndex(spectrum) ? 1 : -1;
}

TIntegrator AbsorptionIntegrator(const TLineView& spectrum, std::span<const double> baseline)
{
    TIntegrator integrator;
    integrator.Init(spectrum, baseline, -500, 500, false);
    integrator.Factor = AbsorptionFactor(spectrum);
    return integrator;
}

TIntegrator AbsorptionView(const TLineView& spectrum, std::span<const double> baseline)
{
    TIntegrator integrator = AbsorptionIntegrator(spectrum, baseline);
    integrator.Run(spectrum.First, spectrum.Last);
    return integrator;
}

TIntegrator AreaIntegrator(const TLineView& absorption, double axisMinimum, double axisMaximum)
{
    TIntegrator integrator;
    integrator.Init(absorption, {}, axisMinimum, axisMaximum, true);
    integrator.Factor = 1000;
    return integrator;
}

TAxisRange VerticalExpansion(std::span<const double> y)
{
    if (y.empty())
        return {};
    const auto [low, high] = std::minmax_element(y.begin(), y.end());
    return {*low, *high};
}
