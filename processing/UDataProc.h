#pragma once
// The processing window. It keeps the directories of its spectrum open
// dialog (the acquisition directory) and of its output (the data output
// directory), which the main window sets and stores in MERIL.INI.

#include <QMainWindow>

class TFDataProc : public QMainWindow {
    Q_OBJECT
public:
    explicit TFDataProc(QWidget* parent = nullptr);

    void SetDirectories(const QString& acquisitionDir, const QString& dataOutDir);
    QString AcqDir() const { return FAcqDir; }
    QString DataOutDir() const { return FDataOutDir; }

private:
    QString FAcqDir, FDataOutDir;
};
