#pragma once
// The processing window shown offscreen with a scripted operator, and stored
// spectrum files written by the program's own writer (version 11) or cut down
// from its bytes (version 10).

#include "Chart.h"
#include "DataFile.h"
#include "ScriptedOperator.h"
#include "UDataProc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <vector>

// A field-sweep NMR header of a 100 Gs range.
inline TDataHeader NmrHeader()
{
    TDataHeader h;
    h.Comment = QStringLiteral("water, 20 C");
    h.Frequency = QStringLiteral("14 000.0 kHz");
    h.B0 = QStringLiteral("3 288.2 Gs");
    h.SweepTp = 1;
    h.SweepR = 100;
    h.ModAmp = QStringLiteral("0.025 Gs");
    h.SweepTime = QStringLiteral("0.5 min");
    h.Gain = QStringLiteral("60");
    h.Phase = QStringLiteral("180\u00b0");
    h.Acc = QStringLiteral("1");
    h.Resonance = QStringLiteral("NMR 1H");
    return h;
}

inline TDataHeader EsrHeader()
{
    TDataHeader h = NmrHeader();
    h.Comment = QStringLiteral("DPPH");
    h.Frequency = QStringLiteral("9 500 000.0 kHz");
    h.B0 = QStringLiteral("3 390.0 Gs");
    h.SweepR = 50;
    h.ModAmp = QStringLiteral("0.5 Gs");
    h.Resonance = QStringLiteral("ESR");
    return h;
}

// Sums of a first-derivative Lorentzian line of half width gamma points,
// centred on point n / 2, peaks about +-amplitude, on an offset.
inline std::vector<int32_t> LorentzDerivative(int n, double gamma, double amplitude = 300, double offset = 0)
{
    std::vector<int32_t> sums(static_cast<size_t>(n));
    const double peak = 3 * std::sqrt(3.0) / 8;   // largest value of 2u / (1 + u^2)^2
    for (int i = 0; i < n; ++i) {
        const double u = (i - n / 2) / gamma;
        sums[size_t(i)] = int32_t(std::lround(offset - amplitude / peak * u / ((1 + u * u) * (1 + u * u))));
    }
    return sums;
}

struct TDataProcRig {
    QTemporaryDir Dir;
    TScriptedOperator Op;
    TFDataProc W;

    TDataProcRig()
    {
        QDir().mkpath(AcqDir());
        QDir().mkpath(OutDir());
        W.SetDirectories(AcqDir(), OutDir());
        W.resize(1280, 900);
        W.show();
        QCoreApplication::processEvents();
    }
    QString AcqDir() const { return Dir.filePath(QStringLiteral("acq")); }
    QString OutDir() const { return Dir.filePath(QStringLiteral("out")); }

    QString Write(const QString& name, const TDataHeader& h, const std::vector<int32_t>& sums)
    {
        const QString path = QDir(AcqDir()).filePath(name);
        WriteSpectrumFile(path, h, sums);
        return path;
    }
    // A version 10 file: the version 11 bytes without the mode text.
    QString WriteV10(const QString& name, const TDataHeader& h, const std::vector<int32_t>& sums)
    {
        QByteArray bytes = SpectrumFileBytes(h, sums);
        bytes[0] = 10;
        bytes.remove(1 + HeaderSizeV10, HeaderSizeV11 - HeaderSizeV10);
        const QString path = QDir(AcqDir()).filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // Loads and draws until the views and measurements have followed.
    void Load(const QString& path)
    {
        W.LoadSpectrum(path);
        Draw();
    }
    // Loads `sums` stored as "line.dcw" under the NMR header and turns the
    // given view on.
    void LoadLine(const std::vector<int32_t>& sums, QToolButton* view)
    {
        Load(Write(QStringLiteral("line.dcw"), NmrHeader(), sums));
        Click(view);
    }
    // Draws both charts as the frame timer would: the upper chart first (the
    // view follows the baseline), then the lower one twice (measurements that
    // move cursors repaint once more).
    void Draw()
    {
        W.DSrc->RepaintNow();
        W.DDst->RepaintNow();
        W.DDst->RepaintNow();
    }
    void Click(QToolButton* b)
    {
        QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(b->accessibleName()));
        b->click();
        Draw();
    }
    // The marker moved as a drag leaves it, then drawn.
    void MoveMarker(int index)
    {
        W.DstMarker.SetIndex(index);
        Draw();
    }
    std::vector<double> Ys(const TChartSeries& s) const
    {
        return std::vector<double>(s.YValues().begin(), s.YValues().end());
    }
};
