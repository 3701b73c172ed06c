#include "JcampDxTable.h"

#include "ImportedSpectrum.h"

#include <charconv>
#include <cmath>

namespace {

enum class TKind { Value, Dif, Dup };

struct TToken {
    TKind Kind = TKind::Value;
    double V = 0;
    double Quantum = 1;   // the step of the last digit written
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The numbers of one line of a table, one at a time.
class TTokens {
public:
    TTokens(QByteArrayView line, qsizetype lineNumber, const QString& file)
        : L(line), LineNumber(lineNumber), File(file) {}

    bool Next(TToken& t)
    {
        while (I < L.size() && (L[I] == ' ' || L[I] == '\t' || L[I] == ',' || L[I] == ';'))
            ++I;
        if (I >= L.size())
            return false;
        const char c = L[I];
        if (c == '+' || c == '-' || c == '.' || IsDigit(c)) {
            t = {TKind::Value, Affn(), Quantum};
        } else if (c == '@' || (c >= 'A' && c <= 'I') || (c >= 'a' && c <= 'i')) {
            ++I;
            t = {TKind::Value, Letter(c == '@' ? 0 : c <= 'I' ? c - 'A' + 1 : -(c - 'a' + 1)), Quantum};
        } else if (c == '%' || (c >= 'J' && c <= 'R') || (c >= 'j' && c <= 'r')) {
            ++I;
            t = {TKind::Dif, Letter(c == '%' ? 0 : c <= 'R' ? c - 'J' + 1 : -(c - 'j' + 1)), Quantum};
        } else if ((c >= 'S' && c <= 'Z') || c == 's') {
            ++I;
            t = {TKind::Dup, Letter(c == 's' ? 9 : c - 'S' + 1), 1};
        } else {
            Refuse(c == '?' ? QStringLiteral("a missing value (?)")
                            : QStringLiteral("the character \"%1\", which is no number").arg(QLatin1Char(c)));
        }
        return true;
    }

    [[noreturn]] void Refuse(const QString& what) const
    {
        RefuseSpectrum(File, QStringLiteral("line %1 of the data table holds %2.").arg(LineNumber).arg(what));
    }

private:
    // Digits and an optional fraction after the first digit of a letter form.
    double Letter(int first)
    {
        long double v = std::abs(first);
        while (I < L.size() && IsDigit(L[I]))
            v = v * 10 + (L[I++] - '0');
        Quantum = 1;
        if (I < L.size() && L[I] == '.') {
            ++I;
            while (I < L.size() && IsDigit(L[I])) {
                Quantum /= 10;
                v += (L[I++] - '0') * (long double)Quantum;
            }
        }
        return double(first < 0 ? -v : v);
    }

    // A plain number: sign, digits, fraction, and an exponent only as E or e
    // followed by a sign (a bare E or e is a SQZ digit).
    double Affn()
    {
        const bool negative = L[I] == '-';
        if (L[I] == '+' || L[I] == '-')
            ++I;
        const qsizetype start = I;
        int decimals = 0;
        while (I < L.size() && IsDigit(L[I]))
            ++I;
        if (I < L.size() && L[I] == '.') {
            ++I;
            while (I < L.size() && IsDigit(L[I])) {
                ++I;
                ++decimals;
            }
        }
        if (I == start || (I == start + 1 && L[start] == '.'))
            Refuse(QStringLiteral("a sign or point without digits"));
        int exponent = 0;
        if (I + 2 < L.size() + 0 && (L[I] == 'E' || L[I] == 'e') && (L[I + 1] == '+' || L[I + 1] == '-') &&
            IsDigit(L[I + 2])) {
            const qsizetype e = I + 1;
            I += 2;
            while (I < L.size() && IsDigit(L[I]))
                ++I;
            std::from_chars(L.data() + e + (L[e] == '+'), L.data() + I, exponent);
        }
        double v = 0;
        const auto [end, error] = std::from_chars(L.data() + start, L.data() + I, v);
        if (error != std::errc() || !std::isfinite(v))
            Refuse(QStringLiteral("the number \"%1\", which is out of range").arg(QString::fromLatin1(L.sliced(start, I - start))));
        Quantum = PowerOfTen(exponent - decimals);
        return negative ? -v : v;
    }

    QByteArrayView L;
    qsizetype LineNumber;
    const QString& File;
    qsizetype I = 0;
    double Quantum = 1;
};

} // namespace

TJcampValues DecodeXyData(std::span<const QByteArrayView> lines, const TJcampGrid& grid, const QString& file)
{
    TJcampValues table;
    table.Y.reserve(size_t(std::min<long long>(grid.Points, 1 << 20)));
    std::vector<double>& y = table.Y;
    bool checkFirst = false;   // the line before ended in DIF form
    for (size_t k = 0; k < lines.size(); ++k) {
        TTokens tokens(lines[k], qsizetype(k + 1), file);
        TToken t;
        if (!tokens.Next(t))
            continue;
        if (t.Kind != TKind::Value)
            tokens.Refuse(QStringLiteral("no abscissa at its start"));
        const double lineX = t.V * grid.XFactor;
        const bool checking = checkFirst;
        const qsizetype firstIndex = qsizetype(y.size()) - (checking ? 1 : 0);
        bool first = true, endsInDif = false;
        TKind lastKind = TKind::Value;
        double last = 0, delta = 0;
        while (tokens.Next(t)) {
            if (t.Kind == TKind::Value) {
                last = t.V;
                table.Quantum = std::min(table.Quantum, t.Quantum);
                lastKind = TKind::Value;
                endsInDif = false;
                if (first && checking) {
                    if (y.empty() || std::abs(y.back() - last) > 1e-9 * std::max(1.0, std::abs(last)))
                        tokens.Refuse(QStringLiteral("a first value %1 that does not repeat the last value of the line before (the y check)").arg(last));
                    first = false;
                    continue;
                }
            } else if (first) {
                tokens.Refuse(QStringLiteral("a difference or repeat count with no value before it"));
            } else if (t.Kind == TKind::Dif) {
                delta = t.V;
                last += delta;
                lastKind = TKind::Dif;
                endsInDif = true;
            } else {
                // DUP: the value or difference before occurs this many times in all.
                if (!(t.V >= 1 && t.V == std::floor(t.V)))
                    tokens.Refuse(QStringLiteral("the repeat count %1").arg(t.V));
                if (double(y.size()) + t.V - 1 > double(grid.Points))
                    tokens.Refuse(QStringLiteral("more points than NPOINTS %1").arg(grid.Points));
                for (long long r = 1; r < (long long)t.V; ++r) {
                    if (lastKind == TKind::Dif)
                        last += delta;
                    y.push_back(last);
                }
                continue;
            }
            first = false;
            if ((long long)y.size() >= grid.Points)
                tokens.Refuse(QStringLiteral("more points than NPOINTS %1").arg(grid.Points));
            y.push_back(last);
        }
        checkFirst = endsInDif;
        // The abscissa is that of the line's first value (the y check's point when it repeats one).
        const double expected = grid.FirstX + double(firstIndex) * grid.DeltaX;
        const double tolerance = std::abs(grid.DeltaX) + std::abs(grid.XFactor) + 1e-9 * std::abs(expected);
        if (!first && !(std::abs(lineX - expected) <= tolerance))
            tokens.Refuse(QStringLiteral("the abscissa %1 where point %2 lies at %3 (the x check)")
                              .arg(lineX)
                              .arg(firstIndex + 1)
                              .arg(expected));
    }
    if ((long long)y.size() != grid.Points)
        RefuseSpectrum(file, QStringLiteral("the data table holds %1 points, but NPOINTS is %2.").arg(y.size()).arg(grid.Points));
    return table;
}

TJcampValues DecodeXyPoints(std::span<const QByteArrayView> lines, long long maxPoints, const QString& file)
{
    TJcampValues table;
    bool haveX = false;
    for (size_t k = 0; k < lines.size(); ++k) {
        TTokens tokens(lines[k], qsizetype(k + 1), file);
        TToken t;
        while (tokens.Next(t)) {
            if (t.Kind != TKind::Value)
                tokens.Refuse(QStringLiteral("a compressed number in a table of (x, y) pairs"));
            if (!haveX) {
                if ((long long)table.X.size() >= maxPoints)
                    tokens.Refuse(QStringLiteral("more than %1 points").arg(maxPoints));
                table.X.push_back(t.V);
            } else {
                table.Y.push_back(t.V);
                table.Quantum = std::min(table.Quantum, t.Quantum);
            }
            haveX = !haveX;
        }
    }
    if (haveX)
        RefuseSpectrum(file, QStringLiteral("the last (x, y) pair of the data table has no y."));
    return table;
}

namespace {

// A whole number with its first digit (and sign) as one letter: `positive`
// holds the letters of 1 to 9, `negative` those of -1 to -9, `zero` that of 0.
void AppendLetterForm(QByteArray& out, long long v, char zero, const char* positive, const char* negative)
{
    const QByteArray digits = QByteArray::number(v < 0 ? -v : v);
    const int first = digits[0] - '0';
    out += first == 0 ? zero : (v < 0 ? negative : positive)[first - 1];
    out += digits.mid(1);
}

void AppendSqz(QByteArray& out, long long v)
{
    AppendLetterForm(out, v, '@', "ABCDEFGHI", "abcdefghi");
}

} // namespace

QByteArray EncodeXyData(std::span<const long long> y, double firstX, double deltaX, bool compressed)
{
    constexpr qsizetype LineLength = 80;
    const size_t n = y.size();
    QByteArray out;
    const auto abscissa = [&](size_t i) { return QByteArray::number(firstX + double(i) * deltaX, 'g', 12); };
    size_t i = 0;   // the line's first point
    while (i < n) {
        QByteArray line = abscissa(i);
        size_t next = i;
        if (!compressed) {
            for (; next < n; ++next) {
                const QByteArray v = ' ' + QByteArray::number(y[next]);
                if (line.size() + v.size() > LineLength && next > i)
                    break;
                line += v;
            }
            out += line + "\r\n";
            i = next;
            continue;
        }
        AppendSqz(line, y[i]);
        next = i + 1;
        while (next < n) {
            const long long d = y[next] - y[next - 1];
            size_t run = 1;
            while (next + run < n && y[next + run] - y[next + run - 1] == d)
                ++run;
            QByteArray step;
            AppendLetterForm(step, d, '%', "JKLMNOPQR", "jklmnopqr");
            if (run > 1)
                AppendLetterForm(step, (long long)run, '?', "STUVWXYZs", "");
            if (line.size() + step.size() > LineLength)
                break;
            line += step;
            next += run;
        }
        out += line + "\r\n";
        if (next == i + 1) {   // a lone value, no difference: nothing to check
            i = next;
            continue;
        }
        // A line in DIF form: the next one repeats its last value, the last
        // line of the table holds it alone.
        if (next == n) {
            QByteArray check = abscissa(n - 1);
            AppendSqz(check, y[n - 1]);
            out += check + "\r\n";
            break;
        }
        i = next - 1;
    }
    return out;
}
