#include "UDataProc.h"

TFDataProc::TFDataProc(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("CW NMR/ESR Spectrometer - PROCESSING"));
    resize(1024, 700);
}

void TFDataProc::SetDirectories(const QString& acquisitionDir, const QString& dataOutDir)
{
    FAcqDir = acquisitionDir;
    FDataOutDir = dataOutDir;
}
