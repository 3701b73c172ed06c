// Writes starting inputs for the fuzzers with the program's own writers:
// <dir>/DataFile, <dir>/Setup, <dir>/Settings, instrument lines in
// <dir>/ReplyLine, spectra with a line in <dir>/Processing, and the other
// programs' formats in <dir>/Bes3t, Esp, JcampDx and TextSpectrum.
#include "Bes3tFile.h"
#include "DataFile.h"
#include "JcampDx.h"
#include "USetup.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>

namespace {

bool Save(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The input of a two-file target: the first file's length in two bytes, both files.
QByteArray Pair(const QByteArray& first, const QByteArray& second)
{
    const char length[2] = {char(first.size() & 0xFF), char(first.size() >> 8)};
    return QByteArray(length, 2) + first + second;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <corpus folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"DataFile", "Setup", "Settings", "ReplyLine", "Processing", "Bes3t", "Esp", "JcampDx", "TextSpectrum"})
        root.mkpath(QString::fromLatin1(sub));

    TDataHeader h;
    h.Comment = QStringLiteral("seed \u00B0 \u2022");
    h.Frequency = QStringLiteral("14 000.0 kHz");
    h.B0 = QStringLiteral("3 288.2 Gs");
    h.SweepTp = 1;
    h.SweepR = 10;
    h.ModAmp = QStringLiteral("0.025 Gs");
    h.SweepTime = QStringLiteral("0.5 min");
    h.Gain = QStringLiteral("60");
    h.Phase = QStringLiteral("180\u00B0");
    h.Acc = QStringLiteral("3");
    h.Resonance = QStringLiteral("NMR 1H &&19F");
    QByteArray v11 = SpectrumFileBytes(h, std::vector<int32_t>{-1500, 0, 3, 1500, 7, 2000000});
    QByteArray v10 = v11;
    v10[0] = 10;
    v10.remove(1 + HeaderSizeV10, HeaderSizeV11 - HeaderSizeV10);

    // A derivative line of 200 points, as NMR and as ESR.
    std::vector<int32_t> line;
    for (int i = 0; i < 200; ++i) {
        const double x = (i - 100) / 15.0;
        line.push_back(int32_t(std::lround(-3 * 300 * x * std::exp(0.5 - x * x / 2))));
    }
    TDataHeader esr = h;
    esr.Resonance = QStringLiteral("ESR");
    esr.Frequency = QStringLiteral("9 500 000.0 kHz");

    SetupRecord r;
    r.Mode = 3;
    r.TuningB0 = {1, -2, 3, 70000};
    TSettings s;
    s.SetupDir = QStringLiteral("/home/op/cfg");
    s.PortName = QStringLiteral("COM2");
    s.Sounds[2].FileName = QStringLiteral("/snd/end.wav");

    // The line as the other programs' formats hold it (40 points keep the inputs small).
    const TSpectrum esrLine = ParseSpectrum(SpectrumFileBytes(esr, std::vector<int32_t>(line.begin() + 80, line.begin() + 120)));
    const TBes3tBytes bes3t = Bes3tBytes(esrLine);
    QByteArray spc, text;
    for (size_t i = 0; i < esrLine.Points.size(); ++i) {
        const float y = float(esrLine.Points[i].y());
        spc.append(reinterpret_cast<const char*>(&y), 4);
        text += QByteArray::number(3380 + 0.25 * double(i)) + '\t' + QByteArray::number(y) + '\n';
    }
    const QByteArray par = "DOS  Format\rANZ 40\rGST 3380\rGSI 9.75\rJUN G\rMF  9.5\rRMA 0.5\rJSD 4\rJCO seed\r";

    const bool ok = Save(root.filePath("DataFile/v11.dcw"), v11) && Save(root.filePath("DataFile/v10.dcw"), v10) &&
                    Save(root.filePath("Processing/nmr.dcw"), SpectrumFileBytes(h, line)) &&
                    Save(root.filePath("Processing/esr.dcw"), SpectrumFileBytes(esr, line)) &&
                    Save(root.filePath("Setup/a.cfg"), SetupRecordToBytes(r)) &&
                    Save(root.filePath("Settings/MERIL.INI"), SettingsToBytes(s)) &&
                    Save(root.filePath("Bes3t/line"), Pair(bes3t.Dsc, bes3t.Dta)) &&
                    Save(root.filePath("Esp/line"), Pair(par, spc)) &&
                    Save(root.filePath("JcampDx/affn.jdx"), JcampDxBytes(esrLine, TJcampForm::Affn)) &&
                    Save(root.filePath("JcampDx/difdup.jdx"), JcampDxBytes(esrLine, TJcampForm::DifDup)) &&
                    Save(root.filePath("JcampDx/sqz.jdx"), "##TITLE=t\n##XUNITS=HZ\n##.OBSERVE FREQUENCY=400\n##FIRSTX=9\n"
                                                           "##LASTX=0\n##NPOINTS=10\n##XYDATA=(X++(Y..Y))\n9A0A2A5U\n4A1EcT@\n##END=\n") &&
                    Save(root.filePath("JcampDx/pairs.jdx"), "##TITLE=t\n##XUNITS=PPM\n##.OBSERVE FREQUENCY=300\n"
                                                             "##XYPOINTS=(XY..XY)\n1.0,5; 1.5,6.5E-1; 2.0,-3\n##END=\n") &&
                    Save(root.filePath("TextSpectrum/tab.txt"), "Field [G]\tIntensity\n" + text) &&
                    Save(root.filePath("TextSpectrum/comma.csv"), "x;y\n3400,0;1,5\n3400,5;-2\n3401,0;0,25\n") &&
                    Save(root.filePath("ReplyLine/pass.txt"),
                         "Z00421.3\rX08020801\rM04\rA0400\rB\rV 0000D2F0\rV!FFFF2C10\rH1\rH0\rE0001\rC\rD\rF\r");
    return ok ? 0 : 1;
}
