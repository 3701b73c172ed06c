// Writes the spectra the AT-SPI check opens, with the program's own writer:
// water.dcw (NMR 1H, one Lorentzian line with a little noise) and dpph.dcw
// (ESR). Usage: write_spectra FOLDER
#include "DataFile.h"
#include "SampleSpectra.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: write_spectra FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    std::vector<int32_t> water = LorentzDerivative(1000, 30, 300, 8);
    for (size_t i = 0; i < water.size(); ++i)
        water[i] += int32_t(i * 7919 % 7) - 3;   // noise for the uncertainties
    WriteSpectrumFile(folder.filePath(QStringLiteral("water.dcw")), NmrHeader(), water);
    WriteSpectrumFile(folder.filePath(QStringLiteral("dpph.dcw")), EsrHeader(), LorentzDerivative(1000, 30, 300, 8));
    return 0;
}
