#include "UTextTbl.h"

#include "Freq.h"
#include "NumFormat.h"
#include "TableIndex.h"

#include <array>

namespace {

constexpr std::array<float, 12> ModAmpTable = {0.05f, 0.07f, 0.1f, 0.15f, 0.2f, 0.35f,
                                                0.5f,  0.7f,  1.0f, 1.5f,  2.0f, 2.5f};
constexpr std::array<float, 10> FieldSweepNMRTable = {5, 10, 15, 20, 30, 50, 75, 100, 150, 300};
constexpr std::array<float, 8> FieldSweepESRTable = {2, 3, 5, 7.5f, 10, 15, 20, 30};
constexpr std::array<float, 9> FreqSweepTable = {50, 75, 100, 150, 200, 300, 500, 750, 1000};
constexpr std::array<int, ModeCount> FieldSweepMin = {1, 1, 10, 1};
constexpr std::array<int, ModeCount> FieldSweepMax = {10, 10, 10, 8};
constexpr int SweepTimePositions = 7;

// The entry at a position counted from 1.
template <class T, size_t N>
T AtPosition(const std::array<T, N>& table, int i, const char* name)
{
    return table[size_t(CheckedIndex(i, 1, int(N), name) - 1)];
}

template <size_t N>
QString TextAt(const std::array<const char*, N>& table, int i, const char* name)
{
    return QString::fromLatin1(table[size_t(CheckedIndex(i, 0, int(N) - 1, name))]);
}

} // namespace

float ModAmpValue(int i)
{
    return AtPosition(ModAmpTable, i, "Modulation amplitude");
}

float FieldSweepRangeValue(int row, int i)
{
    constexpr const char* name = "Field sweep range";
    if (CheckedIndex(row, FieldSweepRowNMR, FieldSweepRowESR, "Field sweep range row") == FieldSweepRowNMR)
        return AtPosition(FieldSweepNMRTable, i, name);
    return AtPosition(FieldSweepESRTable, i, name);
}

int FieldSweepRangeMin(int m)
{
    return FieldSweepMin[size_t(CheckedIndex(m, 0, ModeCount - 1, "Mode"))];
}

int FieldSweepRangeMax(int m)
{
    return FieldSweepMax[size_t(CheckedIndex(m, 0, ModeCount - 1, "Mode"))];
}

int FreqSweepRangeValue(int i)
{
    return int(RoundHalfEven(AtPosition(FreqSweepTable, i, "Frequency sweep range")));
}

QString MagnetTexts(int code)
{
    static constexpr std::array<const char*, 6> texts = {
        "", "Electromagnet", "Helmholtz coils", "not connected", "Magnet & Coils", "Wrong connection"};
    return TextAt(texts, code, "Field source");
}

QString SweepTypeNames(int i)
{
    static constexpr std::array<const char*, 2> texts = {"Frequency", "Field"};
    return TextAt(texts, i, "Sweep type");
}

QString AxisLetters(int i)
{
    static constexpr std::array<const char*, 2> texts = {"F", "B"};
    return TextAt(texts, i, "Axis letter");
}

QString UnitNames(int i)
{
    static constexpr std::array<const char*, 3> texts = {"kHz", "Gs", "mT"};
    return TextAt(texts, i, "Unit");
}

QString FormatPhase(int p)
{
    return Format(QStringLiteral("%7.1n \u00B0"), {p * 1.5L});
}

QString FormatInteger(int n)
{
    return Format(QStringLiteral("%d"), {n});
}

QString FormatModAmp(int i)
{
    return Format(QStringLiteral("%3.2n Gs"), {ModAmpValue(i)});
}

QString FormatGauss(float v)
{
    return Format(QStringLiteral("%4g Gs"), {v});
}

QString FormatFieldSweepRange(int row, int i)
{
    return FormatGauss(FieldSweepRangeValue(row, i));
}

QString FormatKHz(int n)
{
    return Format(QStringLiteral("%4d kHz"), {n});
}

QString FormatFreqSweepRange(int i)
{
    return FormatKHz(FreqSweepRangeValue(i));
}

QString FormatSweepTime(int p)
{
    const int doublings = CheckedIndex(p, 1, SweepTimePositions, "Sweep time") - 1;
    // "%4g" rather than one significant digit: 16 and 32 minutes would
    // otherwise read "2E1" and "3E1"; the shorter times read the same.
    return Format(QStringLiteral("%4g min"), {(1 << doublings) * 0.5L});
}

int SweepTimeSeconds(int p)
{
    return 30 << (CheckedIndex(p, 1, SweepTimePositions, "Sweep time") - 1);
}

QString FormatB0(int m, bool inGauss, int p)
{
    const long double b0 = ResonanceField(m, p);
    return inGauss ? Format(QStringLiteral("%6.2n Gs"), {b0}) : Format(QStringLiteral("%6.3n mT"), {b0 * 0.1L});
}

QString FormatB0Step(int m, int n)
{
    return Format(QStringLiteral("%6.2n Gs"), {FieldPerPosition(m) * n});
}

QString FormatFrequency(int m, int p)
{
    return Format(QStringLiteral("%6.1n kHz"), {FrequencyHz(m, p) * 0.001L});
}

QString FormatFrequencyStep(int d)
{
    return Format(QStringLiteral("%6.1n kHz"), {FrequencyStepHz(d) * 0.001L});
}
