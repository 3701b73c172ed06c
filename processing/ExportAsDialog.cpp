#include "ExportAsDialog.h"

#include "Operator.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Extension(TExportFormat format)
{
    return format == TExportFormat::Bes3t ? QStringLiteral("DSC") : QStringLiteral("jdx");
}

} // namespace

TExportAsDialog::TExportAsDialog(QWidget* parent, TExportFormat format, const QString& path)
    : QDialog(parent),
      FormatCB(new QComboBox(this)),
      FileEdit(new QLineEdit(QDir::toNativeSeparators(path), this)),
      BrowseB(new QPushButton(QStringLiteral("Browse..."), this)),
      WritesLab(new QLabel(this)),
      Buttons(new QDialogButtonBox(QDialogButtonBox::Cancel, this)),
      ExportB(Buttons->addButton(QStringLiteral("Export"), QDialogButtonBox::AcceptRole))
{
    setWindowTitle(QStringLiteral("Export as"));
    for (const TExportFormat f : ExportFormats)
        FormatCB->addItem(ExportFormatCaption(f), int(f));
    FormatCB->setCurrentIndex(FormatCB->findData(int(format)));
    FormatCB->setAccessibleName(QStringLiteral("Format"));
    FileEdit->setAccessibleName(QStringLiteral("File"));
    FileEdit->setMinimumWidth(360);
    BrowseB->setAccessibleName(QStringLiteral("Browse"));
    WritesLab->setWordWrap(true);
    ExportB->setDefault(true);
    for (QPushButton* b : {ExportB, Buttons->button(QDialogButtonBox::Cancel)})
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileEdit, 1);
    fileRow->addWidget(BrowseB);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Format:"), FormatCB);
    form->addRow(QStringLiteral("File:"), fileRow);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(WritesLab);
    column->addStretch();
    column->addWidget(Buttons);

    connect(FormatCB, &QComboBox::currentIndexChanged, this, [this] { FormatChanged(); });
    connect(FileEdit, &QLineEdit::textChanged, this, [this] { ShowWrites(); });
    connect(BrowseB, &QPushButton::clicked, this, [this] { BrowseBClick(); });
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowWrites();
}

TExportFormat TExportAsDialog::Format() const
{
    return TExportFormat(FormatCB->currentData().toInt());
}

QString TExportAsDialog::Path() const
{
    return QDir::fromNativeSeparators(FileEdit->text().trimmed());
}

void TExportAsDialog::FormatChanged()
{
    const QFileInfo file(Path());
    if (!file.fileName().isEmpty())
        FileEdit->setText(QDir::toNativeSeparators(QDir(file.path()).filePath(file.completeBaseName() + QLatin1Char('.') +
                                                                             Extension(Format()))));
    ShowWrites();
}

void TExportAsDialog::BrowseBClick()
{
    const QString ext = Extension(Format());
    TFileDialog d{TFileDialogKind::Save, QStringLiteral("Export as"),
                  QStringLiteral("%1 (*.%2)|*.%2").arg(ExportFormatCaption(Format()), ext), ext,
                  QFileInfo(Path()).path(), Path()};
    if (d.Execute(this))
        FileEdit->setText(QDir::toNativeSeparators(d.FileName));
}

void TExportAsDialog::ShowWrites()
{
    const QFileInfo file(Path());
    const bool named = !file.fileName().isEmpty();
    ExportB->setEnabled(named);
    if (!named) {
        WritesLab->setText(QStringLiteral("Give a file name."));
        return;
    }
    const QString base = file.completeBaseName();
    WritesLab->setText(Format() == TExportFormat::Bes3t
                           ? QStringLiteral("Writes %1.DSC (the parameters) and %1.DTA (the values) into %2.")
                                 .arg(base, QDir::toNativeSeparators(file.absolutePath()))
                           : QStringLiteral("Writes %1 into %2.").arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath())));
}
