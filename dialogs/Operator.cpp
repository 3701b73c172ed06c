#include "Operator.h"

#include "DirectoryDialog.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QScreen>

namespace {

// File dialogs open wide enough to read their columns (name, size, type,
// date), within the screen; the name takes the room the others leave.
void SizeFileDialog(QFileDialog& dialog)
{
    QSize size(900, 560);
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    dialog.resize(size);
    if (auto* details = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

bool DialogsEnded = false;

// Without a window manager nothing gives the window that was active its
// activation back when a dialog closes, and the next key is lost: this does,
// with the keyboard where it was.
class TActivationKept {
public:
    explicit TActivationKept(QWidget* window)
        : FWindow(window), FFocus(window ? window->focusWidget() : nullptr)
    {
    }
    ~TActivationKept()
    {
        if (!FWindow || !FWindow->isVisible())
            return;
        FWindow->activateWindow();
        if (FFocus && FFocus->isVisible())
            FFocus->setFocus(Qt::OtherFocusReason);
    }
    TActivationKept(const TActivationKept&) = delete;
    TActivationKept& operator=(const TActivationKept&) = delete;

private:
    QPointer<QWidget> FWindow;
    QPointer<QWidget> FFocus;
};

class TWidgetOperator final : public TOperator {
public:
    int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& detail) override
    {
        if (DialogsEnded)
            return AnswerChangingNothing(buttons);
        const TActivationKept kept(QApplication::activeWindow());
        QMessageBox box;
        box.setText(text);
        box.setInformativeText(detail);
        switch (type) {
        case TMsgType::Warning: box.setIcon(QMessageBox::Warning); box.setWindowTitle(QStringLiteral("Warning")); break;
        case TMsgType::Error: box.setIcon(QMessageBox::Critical); box.setWindowTitle(QStringLiteral("Error")); break;
        case TMsgType::Information: box.setIcon(QMessageBox::Information); box.setWindowTitle(QStringLiteral("Information")); break;
        case TMsgType::Confirmation: box.setIcon(QMessageBox::Question); box.setWindowTitle(QStringLiteral("Confirm")); break;
        }
        const struct { int ours; QMessageBox::StandardButton qt; } map[] = {
            {mbYes, QMessageBox::Yes}, {mbNo, QMessageBox::No}, {mbOK, QMessageBox::Ok},
            {mbCancel, QMessageBox::Cancel}, {mbAbort, QMessageBox::Abort},
            {mbRetry, QMessageBox::Retry}, {mbIgnore, QMessageBox::Ignore}};
        QMessageBox::StandardButtons qtButtons;
        for (const auto& m : map)
            if (buttons & m.ours)
                qtButtons |= m.qt;
        box.setStandardButtons(qtButtons);
        const auto answer = QMessageBox::StandardButton(box.exec());
        if (DialogsEnded)
            return AnswerChangingNothing(buttons);
        for (const auto& m : map)
            if (m.qt == answer)
                return m.ours;
        return (buttons & mbCancel) ? mbCancel : 0;
    }

    std::optional<QString> FileDialog(const TFileDialog& d, QWidget* parent) override
    {
        if (DialogsEnded)
            return std::nullopt;
        const TActivationKept kept(QApplication::activeWindow());
        QFileDialog dialog(parent, d.Title, d.InitialDir, QtFilter(d.Filter));
        dialog.setAcceptMode(d.Kind == TFileDialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(d.Kind == TFileDialogKind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(d.DefaultExt);
        // The program asks its own overwrite question where it wants one.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        SizeFileDialog(dialog);
        if (!d.FileName.isEmpty())
            dialog.selectFile(d.FileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty() || DialogsEnded)
            return std::nullopt;
        return dialog.selectedFiles().first();
    }

    std::optional<QString> SelectDirectory(const QString& initial, QWidget* parent) override
    {
        if (DialogsEnded)
            return std::nullopt;
        const TActivationKept kept(QApplication::activeWindow());
        TDirectoryDialog dialog(parent, initial);
        SizeFileDialog(dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty() || DialogsEnded)
            return std::nullopt;
        return dialog.selectedFiles().first();
    }

    int ExecModal(QDialog& dialog) override { return DialogsEnded ? int(QDialog::Rejected) : dialog.exec(); }
};

TWidgetOperator& WidgetOperator()
{
    static TWidgetOperator op;
    return op;
}

TOperator* gOperator = nullptr;

} // namespace

int AnswerChangingNothing(int buttons)
{
    for (const int answer : {mbCancel, mbNo, mbIgnore, mbOK})
        if (buttons & answer)
            return answer;
    return 0;
}

void EndOperatorDialogs()
{
    DialogsEnded = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            dialog->reject();
}

TOperator& Operator()
{
    return gOperator ? *gOperator : WidgetOperator();
}

void SetOperator(TOperator* op)
{
    gOperator = op;
}

int ExecModalFrom(QWidget& opener, QDialog& dialog)
{
    const TActivationKept kept(opener.window());
    return Operator().ExecModal(dialog);
}

bool TFileDialog::Execute(QWidget* parent)
{
    const auto chosen = Operator().FileDialog(*this, parent);
    if (!chosen)
        return false;
    FileName = WithDefaultExt(*chosen, DefaultExt);
    return true;
}

QString QtFilter(const QString& pipeFilter)
{
    // "Name (*.x)|*.x|Other (*.y)|*.y" -> "Name (*.x);;Other (*.y)"
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        names << parts[i];
    if (names.isEmpty() && !pipeFilter.isEmpty())
        names << pipeFilter;
    return names.join(QStringLiteral(";;"));
}

QString WithDefaultExt(const QString& name, const QString& ext)
{
    // Any dot in the file's own name starts an extension, a trailing one too:
    // "run1." is the operator's choice of no extension, not "run1..dcw".
    if (ext.isEmpty() || QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + ext;
}
