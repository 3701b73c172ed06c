// What leaves the processing window or comes into it besides the open
// dialog: the text export of the spectrum, a picture of both charts, and
// spectrum files dropped on the window.

#include "UDataProc.h"

#include "Accessibility.h"
#include "Chart.h"
#include "Errors.h"
#include "ExportAsDialog.h"
#include "SpectrumExport.h"
#include "UDataProcState.h"
#include "PictureCaption.h"
#include "SpectrumFiles.h"
#include "StatusBar.h"
#include "TextTable.h"
#include "WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <qcustomplot.h>

namespace {
constexpr int CaptionMargin = 8;   // pixels around the caption block
}

QString DroppedSpectrum(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    QString other;
    for (const QUrl& url : data->urls()) {
        const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
        if (path.endsWith(QLatin1String(".dcw"), Qt::CaseInsensitive))
            return path;
        if (other.isEmpty() && HasSpectrumExtension(path))
            other = path;
    }
    return other;
}

// The spectrum as shown, into the data output folder under the name of the
// spectrum file. A failure is told and changes nothing else.
void TFDataProc::ExportATBClick()
{
    if (!FLoaded)
        return;
    const QString path = ExportPath(DOutSaveDialog.InitialDir, DAcqOpenDialog.FileName);
    try {
        RefuseReplacingSource(path, DAcqOpenDialog.FileName, FSpectrum.Format);
        WriteTextTable(path, Series1->XValues(), Series1->YValues(), TextTableDecimals(FSpectrum.XStep, FSpectrum.YScale));
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
        return;
    }
    TellWritten(QStringLiteral("Exported ASCII to "), path);
}

// The spectrum shown, for other programs: format and file asked, an existing
// file replaced only when the operator agrees.
void TFDataProc::MExportAsClick()
{
    if (!FLoaded)
        return;
    // The file chosen last for this spectrum, else its name in the folder used last.
    const QString source = DAcqOpenDialog.FileName;
    const QString folder = F->ExportAsFile.isEmpty() ? DOutSaveDialog.InitialDir : QFileInfo(F->ExportAsFile).path();
    TExportAsDialog d(this, F->ExportFormat,
                      F->ExportAsSource == source ? F->ExportAsFile : ExportAsPath(folder, source, F->ExportFormat));
    if (Operator().ExecModal(d) != QDialog::Accepted)
        return;
    F->ExportFormat = d.Format();
    const QString path = d.Path();
    const QFileInfo target(path);
    const QStringList existing = QDir(target.path()).entryList(
        {target.completeBaseName() + (d.Format() == TExportFormat::Bes3t ? QStringLiteral(".D[ST][CA]") : QStringLiteral(".") + target.suffix())},
        QDir::Files);
    if (!existing.isEmpty() &&
        MessageDlg(QStringLiteral("%1 exists already. Replace it?").arg(existing.join(QStringLiteral(", "))),
                   TMsgType::Confirmation, mbYes | mbNo) != mbYes)
        return;
    QStringList written;
    try {
        written = ExportSpectrum(path, d.Format(), FSpectrum, source);
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
        return;
    }
    F->ExportAsFile = path;
    F->ExportAsSource = source;
    TellWritten(QStringLiteral("Exported as %1 to ").arg(ExportFormatCaption(d.Format())), written.last());
}

void TFDataProc::TellWritten(const QString& what, const QString& path)
{
    StatusBar->SetPanelText(WrittenPanel, what + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

// The values of the result panels shown now, caption and text, in the order
// the panels show them.
std::vector<TShownValue> TFDataProc::ShownValues() const
{
    std::vector<TShownValue> shown;
    for (const QWidget* panel : {M2Panel, GPanel, DBPanel, AbsorptionPanel}) {
        if (panel->isHidden())
            continue;
        const auto* grid = static_cast<const QGridLayout*>(panel->layout());
        for (int row = 0; row < grid->rowCount(); ++row) {
            const QLayoutItem* caption = grid->itemAtPosition(row, 0);
            const QLayoutItem* value = grid->itemAtPosition(row, 1);
            const auto* c = caption ? qobject_cast<const QLabel*>(caption->widget()) : nullptr;
            const auto* v = value ? qobject_cast<const QLabel*>(value->widget()) : nullptr;
            if (!c || !v)
                continue;
            // An uncertainty follows its value.
            const QString detail = ValueDetail(v);
            shown.push_back({c->text(), detail.isEmpty() ? v->text() : v->text() + QLatin1Char(' ') + detail});
        }
    }
    return shown;
}

QStringList TFDataProc::PictureCaptionLines() const
{
    return PictureCaption(DAcqOpenDialog.FileName, FSpectrum, ShownValues(), FitResultLines());
}

// Both charts, the upper above the lower: PNG as the window shows them (with
// their readouts), PDF and SVG drawn by the charts as vector graphics.
void TFDataProc::SaveChartsPicture(const QString& path) const
{
    const QStringList caption = FLoaded ? PictureCaptionLines() : QStringList();
    const QFontMetrics metrics(font());
    const int lineHeight = metrics.lineSpacing();
    const int chartsHeight = DSrc->height() + DDst->height();
    const int captionHeight = caption.isEmpty() ? 0 : lineHeight * int(caption.size()) + 2 * CaptionMargin;
    const QSize size(std::max(DSrc->width(), DDst->width()), chartsHeight + captionHeight);
    const QString suffix = QFileInfo(path).suffix().toLower();
    // The caption block under the charts, black on white.
    const auto drawCaption = [&](QPainter& painter) {
        painter.save();
        painter.resetTransform();
        painter.fillRect(QRect(0, chartsHeight, size.width(), captionHeight), Qt::white);
        painter.setPen(Qt::black);
        painter.setFont(font());
        for (qsizetype i = 0; i < caption.size(); ++i)
            painter.drawText(CaptionMargin, chartsHeight + CaptionMargin + int(i) * lineHeight + metrics.ascent(),
                             caption[i]);
        painter.restore();
    };
    const auto drawCharts = [&](QCPPainter& painter) {
        DSrc->Plot()->toPainter(&painter, DSrc->width(), DSrc->height());
        painter.translate(0, DSrc->height());
        DDst->Plot()->toPainter(&painter, DDst->width(), DDst->height());
        drawCaption(painter);
    };
    // Drawn into memory first, then written whole: a full disk leaves no
    // picture cut short, and the error says why.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString drawError = QStringLiteral("it could not be drawn");
    bool drawn = false;
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 0.75, QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        QCPPainter painter;
        if (painter.begin(&pdf)) {
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            drawCharts(painter);
            drawn = painter.end();
        }
    } else if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(windowTitle());
        QCPPainter painter;
        if (painter.begin(&svg)) {
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            drawCharts(painter);
            drawn = painter.end();
        }
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.drawPixmap(0, 0, DSrc->grab());
            painter.drawPixmap(0, DSrc->height(), DDst->grab());
            drawCaption(painter);
        }
        QImageWriter writer(&buffer, suffix.toLatin1());
        drawn = writer.write(image);
        if (!drawn)
            drawError = writer.errorString();
    }
    QString error = drawError;
    if (!drawn || !WriteWholeFile(path, bytes, &error))
        throw EFileError(QStringLiteral("Cannot write the picture %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void TFDataProc::MSavePictureClick()
{
    if (DPictureSaveDialog.InitialDir.isEmpty())
        DPictureSaveDialog.InitialDir = DOutSaveDialog.InitialDir;
    // Proposed: the spectrum's name, in the folder used last.
    if (FLoaded) {
        const QString folder = DPictureSaveDialog.FileName.isEmpty() ? DPictureSaveDialog.InitialDir
                                                                     : QFileInfo(DPictureSaveDialog.FileName).path();
        DPictureSaveDialog.FileName =
            QDir(folder).filePath(QFileInfo(DAcqOpenDialog.FileName).completeBaseName() + QStringLiteral(".png"));
    }
    if (!DPictureSaveDialog.Execute(this))
        return;
    try {
        SaveChartsPicture(DPictureSaveDialog.FileName);
    } catch (const std::exception& e) {
        MessageDlg(ErrorText(e), TMsgType::Error, mbOK);
        return;
    }
    TellWritten(QStringLiteral("Saved picture "), DPictureSaveDialog.FileName);
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
