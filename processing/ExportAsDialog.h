#pragma once
// "Export as...": the format (BES3T, JCAMP-DX plain or compressed) and the
// file to write, typed or chosen with "Browse..."; a change of format
// changes the file's extension.

#include "SpectrumExport.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TExportAsDialog : public QDialog {
    Q_OBJECT
public:
    TExportAsDialog(QWidget* parent, TExportFormat format, const QString& path);

    TExportFormat Format() const;
    QString Path() const;

    QComboBox* FormatCB;
    QLineEdit* FileEdit;
    QPushButton* BrowseB;
    QLabel* WritesLab;   // the files that will be written
    QDialogButtonBox* Buttons;
    QPushButton* ExportB;   // disabled while no file is named

private:
    void FormatChanged();
    void BrowseBClick();
    void ShowWrites();
};
