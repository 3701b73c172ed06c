// The remembered view: where the windows were and how big, whether they were
// maximised, the pass display, the average switch, the marker kind and the
// files last chosen in the file dialogs of both windows (a dialog opens in the
// folder of its last choice; File Location forgets the main window's). Kept in
// the user's settings file of the platform; MERIL.INI stays as it is.

#include "UCW.h"

#include "Operator.h"
#include "UDataProc.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QToolButton>

namespace {

const QString MainGeometryKey = QStringLiteral("MainWindow/Geometry");
const QString DataProcGeometryKey = QStringLiteral("ProcessingWindow/Geometry");
const QString PassDisplayKey = QStringLiteral("Display/PassDisplay");
const QString AverageKey = QStringLiteral("Display/Average");
const QString HorizontalMarkerKey = QStringLiteral("Display/HorizontalMarker");
const QString LastFileKey = QStringLiteral("LastFile/");
const QString KeepPassesKey = QStringLiteral("Acquisition/KeepEveryPass");

// A dialog opens where its remembered file was, if that folder is still there.
void RestoreLastFiles(const QSettings& view, const std::vector<std::pair<QString, TFileDialog*>>& dialogs)
{
    for (const auto& [name, d] : dialogs) {
        const QString last = view.value(LastFileKey + name).toString();
        if (!last.isEmpty() && QFileInfo(last).absoluteDir().exists())
            d->FileName = last;
    }
}

void SaveLastFiles(QSettings& view, const std::vector<std::pair<QString, TFileDialog*>>& dialogs)
{
    for (const auto& [name, d] : dialogs)
        view.setValue(LastFileKey + name, d->FileName);
}

} // namespace

QString DefaultViewSettingsPath()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Meril"), QStringLiteral("view"))
        .fileName();
}

std::vector<std::pair<QString, TFileDialog*>> TFCW::FileDialogs() const
{
    return {{QStringLiteral("SetupOpen"), SetupOpenDialog.get()},
            {QStringLiteral("SetupSave"), SetupSaveDialog.get()},
            {QStringLiteral("DataSave"), DAcqSaveDialog.get()}};
}

void TFCW::RestoreView()
{
    if (FViewSettingsPath.isEmpty())
        return;
    const QSettings view(FViewSettingsPath, QSettings::IniFormat);
    if (view.contains(MainGeometryKey))
        restoreGeometry(view.value(MainGeometryKey).toByteArray());
    const int passDisplay = view.value(PassDisplayKey, 0).toInt();
    if (passDisplay > 0 && passDisplay < CurrDiagramCBox->count()) {
        CurrDiagramCBox->setCurrentIndex(passDisplay);
        CurrDiagramCBoxChange();
    }
    if (view.value(AverageKey, false).toBool() != MAccDiagram->isChecked())
        AccDToolBClick();
    (view.value(HorizontalMarkerKey, false).toBool() ? HorizMTB : VertMTB)->setChecked(true);
    MKeepPasses->setChecked(view.value(KeepPassesKey, true).toBool());
    RestoreLastFiles(view, FileDialogs());
}

void TFCW::RestorePartnersView()
{
    if (FViewSettingsPath.isEmpty() || !Partners.DataProc)
        return;
    const QSettings view(FViewSettingsPath, QSettings::IniFormat);
    if (view.contains(DataProcGeometryKey))
        Partners.DataProc->restoreGeometry(view.value(DataProcGeometryKey).toByteArray());
    RestoreLastFiles(view, Partners.DataProc->FileDialogs());
}

void TFCW::SaveView()
{
    if (FViewSettingsPath.isEmpty())
        return;
    QSettings view(FViewSettingsPath, QSettings::IniFormat);
    view.setValue(MainGeometryKey, saveGeometry());
    if (Partners.DataProc) {
        view.setValue(DataProcGeometryKey, Partners.DataProc->saveGeometry());
        SaveLastFiles(view, Partners.DataProc->FileDialogs());
    }
    view.setValue(PassDisplayKey, CurrDiagramCBox->currentIndex());
    view.setValue(AverageKey, MAccDiagram->isChecked());
    view.setValue(HorizontalMarkerKey, HorizMTB->isChecked());
    view.setValue(KeepPassesKey, MKeepPasses->isChecked());
    SaveLastFiles(view, FileDialogs());
}
