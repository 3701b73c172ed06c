#include "Errors.h"
#include "Freq.h"
#include "NumFormat.h"
#include "SerialLink.h"
#include "UTextTbl.h"
#include "Usr.h"

#include <QtTest>
#include <functional>

namespace {

// A link that records what is written to it.
class TRecordingLink : public TSerialLink {
public:
    bool IsOpen = true;
    QString WriteError;            // thrown by WriteString when not empty
    QList<QByteArray> Written;

    bool Active() const override { return IsOpen; }
    void Open() override { IsOpen = true; }
    void Close() override { IsOpen = false; }
    void ClearInput() override {}
    void ClearOutput() override {}
    TModemStatus ModemStatus() override { return msDSR; }
    int InputCount() override { return 0; }
    char ReadChar() override { return 0; }
    void WriteString(const QByteArray& text) override
    {
        if (!WriteError.isEmpty())
            throw EComError(WriteError);
        Written << text;
    }
};

using TSend = std::function<void(TCommandSet&)>;

struct TCase {
    const char* Name;
    TSend Send;
    QByteArray Bytes;
};

// Every sender once, with the bytes it must put on the line.
const std::vector<TCase>& AllCommands()
{
    static const std::vector<TCase> cases = {
        {"phase max", [](TCommandSet& c) { c.SetPhase(239); }, "EEF\r"},
        {"phase zero", [](TCommandSet& c) { c.SetPhase(0); }, "E00\r"},
        {"gain zero", [](TCommandSet& c) { c.SetGain(0); }, "D2FF\r"},
        {"gain max", [](TCommandSet& c) { c.SetGain(255); }, "D200\r"},
        {"raw amplitude", [](TCommandSet& c) { c.SetModAmpRaw(1); }, "D1FE\r"},
        {"B0 low", [](TCommandSet& c) { c.SetTuningB0(-2000); }, "B1002F\r"},
        {"B0 zero", [](TCommandSet& c) { c.SetTuningB0(0); }, "B107FF\r"},
        {"B0 high", [](TCommandSet& c) { c.SetTuningB0(2000); }, "B10FCF\r"},
        {"frequency 1H", [](TCommandSet& c) { c.SetFrequency(FrequencyHz(0, 0)); }, "J00D59F80\r"},
        {"frequency ESR", [](TCommandSet& c) { c.SetFrequency(FrequencyHz(3, 0)); }, "J02FAF080\r"},
        {"frequency 1H low", [](TCommandSet& c) { c.SetFrequency(FrequencyHz(0, -20000)); }, "J003D0900\r"},
        {"frequency range", [](TCommandSet& c) { c.SetFreqSweepRange(FreqSweepRangeValue(9) * 1000); }, "K000F4240\r"},
        {"amplitude ESR 0.35", [](TCommandSet& c) { c.SetModAmp(true, ModAmpValue(6)); }, "R122\r"},
        {"amplitude ESR 0.70", [](TCommandSet& c) { c.SetModAmp(true, ModAmpValue(8)); }, "R145\r"},
        {"amplitude NMR 2.5", [](TCommandSet& c) { c.SetModAmp(false, ModAmpValue(12)); }, "R0FA\r"},
        {"field range NMR", [](TCommandSet& c) { c.SetFieldSweepRange(false, 1); }, "H000\r"},
        {"field range ESR", [](TCommandSet& c) { c.SetFieldSweepRange(true, 8); }, "H107\r"},
        {"sweep time", [](TCommandSet& c) { c.SetSweepTime(7); }, "G06\r"},
        {"field sweep", [](TCommandSet& c) { c.StartSweep(0); }, "F0\r"},
        {"frequency sweep", [](TCommandSet& c) { c.StartSweep(1); }, "F1\r"},
        {"abort", [](TCommandSet& c) { c.AbortExperiment(); }, "N\r"},
        {"mode ESR", [](TCommandSet& c) { c.SetMode('1'); }, "P1\r"},
        {"mode NMR", [](TCommandSet& c) { c.SetMode('0'); }, "P0\r"},
        {"confirm", [](TCommandSet& c) { c.ConfirmConnection(); }, "Y\r"},
        {"hold", [](TCommandSet& c) { c.SetHold(1); }, "Q1\r"},
        {"continue", [](TCommandSet& c) { c.SetHold(0); }, "Q0\r"},
        {"forward", [](TCommandSet& c) { c.SetCurrentDirection(1); }, "S1\r"},
        {"reverse", [](TCommandSet& c) { c.SetCurrentDirection(0); }, "S0\r"},
        {"F2 modulation", [](TCommandSet& c) { c.SetF2Mod(F2ModPeriodCode(128)); }, "T06DA\r"},
        {"calibration off", [](TCommandSet& c) { c.SetCalibrationMode(0); }, "X0\r"},
        {"calibration on", [](TCommandSet& c) { c.SetCalibrationMode(1); }, "X1\r"},
        {"calibration continue", [](TCommandSet& c) { c.SetCalibrationMode(2); }, "X2\r"},
    };
    return cases;
}

} // namespace

class TestUsr : public QObject {
    Q_OBJECT
private slots:
    void putHexDigits();
    void sendersWriteTheirExactBytes();
    void templatesAreRewrittenOnEverySend();
    void nothingIsSentWithoutConnection();
    void nothingIsSentOnAClosedLink();
    void digitFieldsOutsideTheirRangeAreRefused();
    void linkErrorsReachTheCaller();
    void modulationAmplitudeCodes();
    void secondModulation();
};

void TestUsr::putHexDigits()
{
    const std::tuple<int32_t, int, QByteArray> cases[] = {
        {-1, 2, "FF"}, {300, 2, "2C"}, {0, 4, "0000"}, {0x12345678, 8, "12345678"},
        {-1, 8, "FFFFFFFF"}, {0xABCDEF, 8, "00ABCDEF"}, {4047, 4, "0FCF"}, {10, 1, "A"}};
    for (const auto& [value, n, expected] : cases) {
        QByteArray place = "<XXXXXXXX>";
        PutHexDigits(value, n, place.data() + 1);
        QCOMPARE(place, "<" + expected + QByteArray("XXXXXXXX>").right(9 - n));
    }
}

void TestUsr::sendersWriteTheirExactBytes()
{
    TRecordingLink link;
    const bool connected = true;
    TCommandSet commands(link, connected);
    for (const TCase& c : AllCommands()) {
        link.Written.clear();
        c.Send(commands);
        QVERIFY2(link.Written.size() == 1, c.Name);
        QCOMPARE(link.Written.first(), c.Bytes);
    }
    link.Written.clear();
    commands.ProbeDevice();
    QCOMPARE(link.Written, QList<QByteArray>{"Z\r"});
}

void TestUsr::templatesAreRewrittenOnEverySend()
{
    TRecordingLink link;
    const bool connected = true;
    TCommandSet commands(link, connected);
    commands.SetModAmp(true, ModAmpValue(12));
    commands.SetModAmp(false, ModAmpValue(1));
    commands.SetFrequency(-1);
    commands.SetFrequency(1);
    commands.SetCalibrationMode(2);
    commands.SetCalibrationMode(0);
    QCOMPARE(link.Written,
             (QList<QByteArray>{"R1FA\r", "R005\r", "JFFFFFFFF\r", "J00000001\r", "X2\r", "X0\r"}));
    // A second command set has templates of its own.
    TCommandSet other(link, connected);
    link.Written.clear();
    other.SetMode('1');
    commands.SetMode('0');
    QCOMPARE(link.Written, (QList<QByteArray>{"P1\r", "P0\r"}));
}

void TestUsr::nothingIsSentWithoutConnection()
{
    TRecordingLink link;
    bool connected = false;
    TCommandSet commands(link, connected);
    for (const TCase& c : AllCommands())
        c.Send(commands);
    QVERIFY(link.Written.isEmpty());
    commands.ProbeDevice();
    QCOMPARE(link.Written, QList<QByteArray>{"Z\r"});
    // The flag is read at every send.
    connected = true;
    commands.ConfirmConnection();
    QCOMPARE(link.Written.last(), QByteArray("Y\r"));
}

void TestUsr::nothingIsSentOnAClosedLink()
{
    TRecordingLink link;
    link.IsOpen = false;
    const bool connected = true;
    TCommandSet commands(link, connected);
    for (const TCase& c : AllCommands())
        c.Send(commands);
    commands.ProbeDevice();
    // Refused arguments are dropped with the command, without an error.
    commands.SetCalibrationMode(7);
    QVERIFY(link.Written.isEmpty());
}

void TestUsr::digitFieldsOutsideTheirRangeAreRefused()
{
    TRecordingLink link;
    const bool connected = true;
    TCommandSet commands(link, connected);
    QVERIFY_THROWS_EXCEPTION(EMerilError, commands.SetCalibrationMode(3));
    QVERIFY_THROWS_EXCEPTION(EMerilError, commands.SetHold(2));
    QVERIFY_THROWS_EXCEPTION(EMerilError, commands.SetCurrentDirection(-1));
    QVERIFY_THROWS_EXCEPTION(EMerilError, commands.StartSweep(2));
    try {
        commands.SetMode('2');
        QFAIL("mode 2 sent");
    } catch (const EMerilError& e) {
        QCOMPARE(e.Text(), QStringLiteral("Command argument 2 is out of range 0..1"));
    }
    QVERIFY(link.Written.isEmpty());
}

void TestUsr::linkErrorsReachTheCaller()
{
    TRecordingLink link;
    link.WriteError = LinkMessages::Timeout;
    const bool connected = true;
    TCommandSet commands(link, connected);
    try {
        commands.SetPhase(10);
        QFAIL("error swallowed");
    } catch (const EComError& e) {
        QCOMPARE(e.Text(), QStringLiteral("Timeout"));
    }
}

void TestUsr::modulationAmplitudeCodes()
{
    const int codes[] = {5, 7, 10, 15, 20, 34, 50, 69, 100, 150, 200, 250};
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(ModAmpCode(ModAmpValue(i)), codes[i - 1]);
}

void TestUsr::secondModulation()
{
    QCOMPARE(F2ModPeriodCode(0), uint16_t(2646));
    QCOMPARE(F2ModPeriodCode(128), uint16_t(1754));
    QCOMPARE(F2ModPeriodCode(255), uint16_t(1315));
    QCOMPARE(F2ModFrequency(0), 25.2f);
    QCOMPARE(F2ModFrequency(255), 50.7f);
    QCOMPARE(Format("%4.1n Hz", {F2ModFrequency(0)}), QStringLiteral("25.2 Hz"));
    QCOMPARE(Format("%4.1n Hz", {F2ModFrequency(255)}), QStringLiteral("50.7 Hz"));
    // The code falls as the frequency rises, one code per position or more.
    for (int p = 1; p <= 255; ++p)
        QVERIFY(F2ModPeriodCode(p) < F2ModPeriodCode(p - 1));
}

QTEST_MAIN(TestUsr)
#include "test_Usr.moc"
