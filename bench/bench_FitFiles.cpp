// Writes the stored spectra that bench/fit_vs_lmfit.py times meril-proc and
// lmfit on: for each of gauss, lorentz and pseudo-Voigt, 20 files of one
// line over 1024 points (50 Gs field sweep, 1.00 Gs modulation, white noise
// of 2 counts), the line's centre and width drawn anew for each file.
// Usage: bench_FitFiles DIR

#include "DataFile.h"
#include "LineShapeModels.h"
#include "SampleSpectra.h"

#include <QDir>
#include <cstdio>
#include <random>

int main(int argc, char* argv[])
{
    if (argc != 2 || !QDir(QString::fromLocal8Bit(argv[1])).exists()) {
        std::fprintf(stderr, "usage: bench_FitFiles DIR (an existing folder)\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> centre(-2, 2), width(1.8, 2.2);
    std::normal_distribution<double> noise(0, 2);
    const struct {
        const char* Name;
        TShapeKind Kind;
    } models[] = {{"gauss", TShapeKind::Gauss}, {"lorentz", TShapeKind::Lorentz}, {"pseudo-voigt", TShapeKind::Voigt}};
    TDataHeader header = NmrHeader();
    header.SweepR = 50;
    header.ModAmp = QStringLiteral("1.00 Gs");
    const int points = 1024;
    std::vector<double> x(points);
    for (int i = 0; i < points; ++i)
        x[size_t(i)] = -25 + 50.0 * i / (points - 1);
    for (const auto& model : models)
        for (int k = 0; k < 20; ++k) {
            std::vector<double> y(points, 0.0);
            const std::vector<double> at{centre(random)}, one{1.0};
            const TLineSum sum{ShapeValue, one, y};
            SumLines({model.Kind, width(random), 0.4, 0, 1.0}, at, x, {&sum, 1});
            std::vector<int32_t> sums;
            for (const double v : y)
                sums.push_back(int32_t(std::lround(4000 * v + noise(random))));
            WriteSpectrumFile(dir.filePath(QStringLiteral("%1-%2.dcw").arg(QLatin1String(model.Name)).arg(k, 2, 10, QLatin1Char('0'))),
                              header, sums);
        }
    return 0;
}
