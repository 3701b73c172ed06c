#include "DirectoryDialog.h"

#include "Operator.h"

#include <QDir>
#include <QFileInfo>

TDirectoryDialog::TDirectoryDialog(QWidget* parent, const QString& initial)
    : QFileDialog(parent, QStringLiteral("Select Directory"), initial)
{
    setFileMode(QFileDialog::Directory);
    setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void TDirectoryDialog::accept()
{
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty() && !QFileInfo::exists(chosen.first())) {
        const QString dir = QDir::toNativeSeparators(chosen.first());
        if (MessageDlg(QStringLiteral("The directory \"%1\" does not exist. Create it?").arg(dir),
                       TMsgType::Confirmation, mbYes | mbNo) != mbYes)
            return;  // the dialog stays open for another choice
        if (!QDir().mkpath(chosen.first())) {
            MessageDlg(QStringLiteral("Cannot create directory \"%1\".").arg(dir), TMsgType::Error, mbOK);
            return;
        }
    }
    QFileDialog::accept();
}
