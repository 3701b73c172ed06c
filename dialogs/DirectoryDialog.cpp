#include "DirectoryDialog.h"

#include "Operator.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

TDirectoryDialog::TDirectoryDialog(QWidget* parent, const QString& initial)
    : QFileDialog(parent, QStringLiteral("Select Directory"), initial)
{
    setFileMode(QFileDialog::Directory);
    setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    FNameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (const auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")))
        FChoose = buttons->button(QDialogButtonBox::Open);
    if (FChoose)
        FChoose->installEventFilter(this);
}

bool TDirectoryDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Qt disables Choose while the typed name is no existing directory; a
    // typed name may be chosen here, so the button comes back at once.
    if (watched == FChoose && event->type() == QEvent::EnabledChange && !FChoose->isEnabled() && FNameEdit &&
        !FNameEdit->text().trimmed().isEmpty())
        FChoose->setEnabled(true);
    return QFileDialog::eventFilter(watched, event);
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
