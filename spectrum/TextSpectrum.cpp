#include "TextSpectrum.h"

#include "Cp1252.h"
#include "ImportedSpectrum.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>

namespace {

constexpr qint64 MaxTextBytes = qint64(256) << 20;

// The numbers of a line, one decimal separator and one set of column
// separators; false when a field is no number.
struct TNumbers {
    double Values[4];
    double Quanta[4];   // the step of each number's last digit
    int Count = 0;
};

bool ParseNumber(QByteArrayView field, bool decimalComma, double& value, double& quantum)
{
    char buffer[64];
    if (field.isEmpty() || field.size() >= qsizetype(sizeof buffer))
        return false;
    qsizetype start = field[0] == '+' ? 1 : 0;
    int decimals = -1, exponent = 0;
    qsizetype k = 0;
    for (qsizetype i = start; i < field.size(); ++i) {
        char c = field[i];
        if (c == (decimalComma ? ',' : '.')) {
            c = '.';
            decimals = 0;
        } else if (c == 'e' || c == 'E') {
            std::from_chars(field.data() + i + 1 + (i + 1 < field.size() && field[i + 1] == '+'),
                            field.data() + field.size(), exponent);
            buffer[k++] = c;
            for (++i; i < field.size(); ++i)
                buffer[k++] = field[i] == '+' ? '0' : field[i];
            break;
        } else if (decimals >= 0 && c >= '0' && c <= '9') {
            ++decimals;
        }
        buffer[k++] = c;
    }
    const auto [end, error] = std::from_chars(buffer, buffer + k, value);
    if (error != std::errc() || end != buffer + k || !std::isfinite(value))
        return false;
    quantum = PowerOfTen(exponent - std::max(decimals, 0));
    return true;
}

bool SplitNumbers(QByteArrayView line, bool decimalComma, TNumbers& out)
{
    out.Count = 0;
    qsizetype i = 0;
    while (i < line.size()) {
        const auto separator = [&](char c) {
            return c == ' ' || c == '\t' || c == ';' || (!decimalComma && c == ',');
        };
        while (i < line.size() && separator(line[i]))
            ++i;
        if (i >= line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && !separator(line[i]))
            ++i;
        if (out.Count == 4 || !ParseNumber(line.sliced(start, i - start), decimalComma, out.Values[out.Count], out.Quanta[out.Count]))
            return false;
        ++out.Count;
    }
    return out.Count >= 2;
}

// The decimal separator of the first line of numbers: a comma when the line
// reads as numbers only with it (commas inside fields, columns apart by
// blanks, tabs or semicolons).
std::optional<bool> DecimalCommaOf(QByteArrayView line)
{
    TNumbers point, comma;
    const bool byPoint = SplitNumbers(line, false, point);
    const bool byComma = line.contains(',') && SplitNumbers(line, true, comma);
    if (byComma && (!byPoint || comma.Count < point.Count))
        return true;
    if (byPoint)
        return false;
    return std::nullopt;
}

// The x unit named in the header: the first [unit] or (unit) that is one,
// else a unit word.
TAxisUnit HeaderUnit(const QString& header)
{
    static const QRegularExpression bracketed(QStringLiteral("[\\[(]\\s*([A-Za-z]+)\\s*[\\])]"));
    for (auto it = bracketed.globalMatch(header); it.hasNext();)
        if (const auto unit = AxisUnitOf(it.next().captured(1)))
            return *unit;
    static const QRegularExpression word(QStringLiteral("\\b(mT|Gauss|gauss|Hz|kHz|MHz|GHz)\\b"));
    if (const QRegularExpressionMatch m = word.match(header); m.hasMatch())
        return *AxisUnitOf(m.captured(1));
    return {};
}

} // namespace

TSpectrum ParseTextSpectrum(QByteArrayView bytes, const QString& file)
{
    TImportedSpectrum f;
    f.File = file;
    f.Format = TSpectrumFormat::Text;
    std::vector<double> x;
    double xQuantum = 1, yQuantum = 1;
    QByteArray header;
    std::optional<bool> decimalComma;
    int columns = 0;
    double firstIndex = 0;   // of a counting first column
    qsizetype lineNumber = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        const QByteArrayView line = NextLine(bytes, start).trimmed();
        ++lineNumber;
        if (line.isEmpty() || line[0] == '#' || line[0] == '%' || line[0] == '!')
            continue;
        if (!decimalComma) {
            decimalComma = DecimalCommaOf(line);
            if (!decimalComma) {
                if (header.size() < 4096)
                    header += line.toByteArray() + '\n';
                continue;
            }
        }
        TNumbers n;
        if (!SplitNumbers(line, *decimalComma, n) || (columns && n.Count != columns))
            RefuseSpectrum(file, QStringLiteral("line %1 is not %2 numbers like the lines before it: \"%3\".")
                                     .arg(lineNumber)
                                     .arg(columns ? columns : 2)
                                     .arg(FromCp1252(line.first(std::min<qsizetype>(line.size(), 60)))));
        if (!columns) {
            columns = n.Count;
            firstIndex = n.Values[0];
            if (columns > 3 || (columns == 3 && firstIndex != 0 && firstIndex != 1))
                RefuseSpectrum(file, QStringLiteral("line %1 holds %2 columns; a spectrum is two columns, x and y "
                                                    "(and perhaps the point numbers before them).")
                                         .arg(lineNumber)
                                         .arg(columns));
        }
        const int c = columns - 2;
        if (c == 1 && n.Values[0] != firstIndex + double(x.size()))
            RefuseSpectrum(file, QStringLiteral("line %1 has the point number %2 where %3 comes next.")
                                     .arg(lineNumber)
                                     .arg(n.Values[0])
                                     .arg(firstIndex + double(x.size())));
        if (qsizetype(x.size()) >= MaxSpectrumPoints)
            RefuseSpectrum(file, QStringLiteral("it holds more than %1 points.").arg(MaxSpectrumPoints));
        x.push_back(n.Values[c]);
        f.Y.push_back(n.Values[c + 1]);
        xQuantum = std::min(xQuantum, n.Quanta[c]);
        yQuantum = std::min(yQuantum, n.Quanta[c + 1]);
    }
    const size_t count = x.size();
    if (count >= 2) {
        const double step = (x.back() - x.front()) / double(count - 1);
        // Evenly spaced to the decimals the file writes.
        const double tolerance = 0.02 * std::abs(step) + 0.5 * xQuantum;
        for (size_t i = 0; i < count; ++i)
            if (!(std::abs(x[i] - (x.front() + double(i) * step)) <= tolerance))
                RefuseSpectrum(file, QStringLiteral("its x values are not evenly spaced: %1 at point %2, where %3 "
                                                    "was due.")
                                         .arg(x[i])
                                         .arg(i + 1)
                                         .arg(x.front() + double(i) * step));
        const TAxisUnit unit = HeaderUnit(FromCp1252(header));
        f.FieldSweep = unit.Field;
        f.XFirst = x.front() * unit.Factor;
        f.XLast = x.back() * unit.Factor;
    }
    f.RangeKey = QStringLiteral("the first and last x");
    f.Quantum = yQuantum;
    return SpectrumFromImport(std::move(f));
}

TSpectrum ReadTextSpectrumFile(const QString& path)
{
    return ParseTextSpectrum(ReadSpectrumBytes(path, MaxTextBytes), path);
}
