#pragma once
// The program's windows on the in-process instrument simulator, with a
// scripted operator, recorded sounds and a private program directory.

#include "ScriptLink.h"
#include "SimLink.h"
#include "RecordingSoundPlayer.h"
#include "ScriptedOperator.h"
#include "Windows.h"

#include <QTemporaryDir>

class QComboBox;
class TChartSeries;
#include <memory>

class TFCWHarness {
public:
    enum TLinkKind { SimulatedInstrument, ScriptedLink, RealPort };
    // MERIL.INI lines that put every directory into the harness's own folder
    // (an empty line stands for the program's directory), so that nothing a
    // run stores lands elsewhere.
    static QStringList ProgramDirIni() { return {QString(), QString(), QString(), QStringLiteral("COM1")}; }
    // The MERIL.INI of a test that wants none.
    static inline const QStringList NoSettingsFile{};
    // ini: MERIL.INI lines to write first (none: no file).
    explicit TFCWHarness(const QStringList& iniLines = ProgramDirIni(), int screenWidth = 1024,
                         TLinkKind link = SimulatedInstrument);
    explicit TFCWHarness(TLinkKind link) : TFCWHarness(ProgramDirIni(), 1024, link) {}
    ~TFCWHarness();

    TFCW& FCW() const { return *Windows->FCW; }
    // What the window is a view of.
    TSpectrometer& Spectrometer() const { return FCW().Spectrometer(); }
    TRun& Run() const { return Spectrometer().Run(); }
    TInstrumentSetup& Setup() const { return Spectrometer().Setup(); }
    TSimLink& Link() const { return *FSim; }
    TScriptLink& Script() const { return *FScript; }
    // Pushes instrument lines through the scripted link and lets them arrive.
    void Feed(const QByteArray& lines);
    TInstrument& Instrument() const;
    QString Dir() const { return FDir.path(); }
    QString PathIn(const QString& name) const { return FDir.filePath(name); }

    // Connect as the operator does, ticking the connection timer by hand,
    // until the field source has been applied. Returns false on time-out.
    bool Connect();
    // Connects over the scripted link: calibration, confirmation, field source 4.
    void ConnectScripted();
    // One tick of the connection timer, then lets replies arrive.
    void Tick();
    // Processes events until `done` holds or `ms` pass.
    static bool WaitFor(const std::function<bool()>& done, int ms = 5000);
    // Starts a run and waits for its end; false on time-out or when it did
    // not finish.
    bool RunToEnd(int ms = 10000);
    // Commands sent since the last call, as text with "\r" shown as "|"
    // (not over a real port).
    QString TakeSent();
    // Status panel text.
    QString Panel(int i) const;
    // The series of the pass being measured (or last measured): the one live series.
    TChartSeries& CurrentPass() const;
    // Chooses an item of a drop-down list as the operator does.
    static void Choose(QComboBox* box, int index);

    TScriptedOperator Operator;
    TRecordingSoundPlayer Sounds;
    std::unique_ptr<TMerilWindows> Windows;

private:
    QTemporaryDir FDir;
    TSimLink* FSim = nullptr;
    TScriptLink* FScript = nullptr;
};
