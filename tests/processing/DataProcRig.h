#pragma once
// The processing window shown offscreen with a scripted operator, and stored
// spectrum files written by the program's own writer (version 11) or cut down
// from its bytes (version 10).

#include "Accessibility.h"
#include "Chart.h"
#include "DataFile.h"
#include "SampleSpectra.h"
#include "ScriptedOperator.h"
#include "UDataProc.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <qcustomplot.h>
#include <vector>

// A mouse event on a chart's plot at a pixel of the chart; a press holds its button.
inline void ChartMouse(TChart& chart, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent e(type, QPointF(at), chart.Plot()->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(chart.Plot(), &e);
}

inline void ChartClick(TChart& chart, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    ChartMouse(chart, QEvent::MouseButtonPress, at, button);
    ChartMouse(chart, QEvent::MouseButtonRelease, at, button);
}

// Press at one column of the plot's middle row, move to another, release.
inline void ChartDrag(TChart& chart, int fromX, int toX)
{
    const int y = chart.ChartRect().center().y();
    ChartMouse(chart, QEvent::MouseButtonPress, QPoint(fromX, y), Qt::LeftButton);
    ChartMouse(chart, QEvent::MouseMove, QPoint((fromX + toX) / 2, y));
    ChartMouse(chart, QEvent::MouseMove, QPoint(toX, y));
    ChartMouse(chart, QEvent::MouseButtonRelease, QPoint(toX, y), Qt::LeftButton);
}

// A series as the processing library reads it.
inline TLineView Line(const TChartSeries& s)
{
    return TLineView(s.XValues(), s.YValues(), s.FirstValueIndex(), s.LastValueIndex());
}

// An absorption line made of a rising and a falling ramp of 20 points each
// around point 50 of 101 points over 100 Gs (1 Gs a point): points 40 to 60
// lie above half height.
inline std::vector<int32_t> TriangleDerivative()
{
    std::vector<int32_t> sums(101, 0);
    for (int i = 30; i <= 49; ++i)
        sums[size_t(i)] = 10;
    for (int i = 51; i <= 70; ++i)
        sums[size_t(i)] = -10;
    return sums;
}

struct TDataProcRig {
    // Before any window: assistive tools get the program's own interfaces.
    const bool AccessibilityInstalled = (InstallAccessibility(), true);
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
    // The marker dragged with the mouse onto point `index` of the view.
    void DragMarker(int index)
    {
        Draw();
        ChartDrag(*W.DDst, W.Series2->CalcXPos(W.DstMarker.GetIndex()), W.Series2->CalcXPos(index));
        Draw();
    }
    std::vector<double> Ys(const TChartSeries& s) const
    {
        return std::vector<double>(s.YValues().begin(), s.YValues().end());
    }
};
