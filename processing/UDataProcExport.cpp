// What leaves the processing window or comes into it besides the open
// dialog: the text export of the spectrum, a picture of both charts, and
// spectrum files dropped on the window.

#include "UDataProc.h"

#include "Chart.h"
#include "Errors.h"
#include "TextTable.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <qcustomplot.h>

QString DroppedSpectrum(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".dcw"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return {};
}

// The spectrum as shown, into the data output folder under the name of the
// spectrum file. A failure is told and changes nothing else.
void TFDataProc::ExportATBClick()
{
    if (!FLoaded)
        return;
    try {
        WriteTextTable(ExportPath(DOutSaveDialog.InitialDir, DAcqOpenDialog.FileName), Series1->XValues(),
                       Series1->YValues());
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
    }
}

// Both charts, the upper above the lower: PNG as the window shows them (with
// their readouts), PDF and SVG drawn by the charts as vector graphics.
void TFDataProc::SaveChartsPicture(const QString& path) const
{
    const QSize size(std::max(DSrc->width(), DDst->width()), DSrc->height() + DDst->height());
    const QString suffix = QFileInfo(path).suffix().toLower();
    const auto drawCharts = [this](QCPPainter& painter) {
        DSrc->Plot()->toPainter(&painter, DSrc->width(), DSrc->height());
        painter.translate(0, DSrc->height());
        DDst->Plot()->toPainter(&painter, DDst->width(), DDst->height());
    };
    bool written = false;
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(path);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 0.75, QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        QCPPainter painter;
        if (painter.begin(&pdf)) {
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            drawCharts(painter);
            written = painter.end();
        }
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle());
        QCPPainter painter;
        if (painter.begin(&svg)) {
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            drawCharts(painter);
            written = painter.end();
        }
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.drawPixmap(0, 0, DSrc->grab());
            painter.drawPixmap(0, DSrc->height(), DDst->grab());
        }
        written = image.save(path, suffix == QLatin1String("png") ? "PNG" : nullptr);
    }
    if (!written)
        throw EFileError(QStringLiteral("Cannot write the picture %1").arg(QDir::toNativeSeparators(path)));
}

void TFDataProc::MSavePictureClick()
{
    if (DPictureSaveDialog.InitialDir.isEmpty())
        DPictureSaveDialog.InitialDir = DOutSaveDialog.InitialDir;
    if (!DPictureSaveDialog.Execute(this))
        return;
    try {
        SaveChartsPicture(DPictureSaveDialog.FileName);
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
    }
}

void TFDataProc::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedSpectrum(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFDataProc::dropEvent(QDropEvent* event)
{
    const QString path = DroppedSpectrum(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    RunGuarded([&] { LoadSpectrum(path); });
}
