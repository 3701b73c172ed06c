#include "KeyValueText.h"

#include "Cp1252.h"
#include "ImportedSpectrum.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

// A leading number and what follows it.
const QRegularExpression& LeadingNumber()
{
    static const QRegularExpression pattern(
        QStringLiteral("^([-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?)(.*)$"));
    return pattern;
}

} // namespace

TKeyValues::TKeyValues(QByteArrayView text, const QString& file) : FFile(file)
{
    const QStringList lines = FromCp1252(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    QString pending;
    for (const QString& raw : lines) {
        QString line = pending + raw;
        pending.clear();
        if (line.endsWith(QLatin1Char('\\'))) {
            line.chop(1);
            pending = line;
            continue;
        }
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('*')) || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char('.')))
            continue;
        const qsizetype gap = line.indexOf(QRegularExpression(QStringLiteral("[ \t]")));
        const QString key = gap < 0 ? line : line.left(gap);
        if (!FValues.contains(key))
            FValues.insert(key, gap < 0 ? QString() : line.mid(gap + 1).trimmed());
    }
}

std::optional<QString> TKeyValues::Text(const char* key) const
{
    const auto it = FValues.constFind(QLatin1String(key));
    if (it == FValues.constEnd())
        return std::nullopt;
    QString v = *it;
    if (v.size() >= 2 && v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))
        v = v.mid(1, v.size() - 2);
    return v;
}

std::optional<double> TKeyValues::Number(const char* key) const
{
    const std::optional<QString> text = Text(key);
    if (!text)
        return std::nullopt;
    const QRegularExpressionMatch m = LeadingNumber().match(*text);
    const double v = m.hasMatch() ? m.captured(1).toDouble() : NAN;
    if (!std::isfinite(v))
        RefuseSpectrum(FFile, QStringLiteral("%1 is \"%2\", not a number.").arg(QLatin1String(key), *text));
    return v;
}

std::optional<double> TKeyValues::Positive(const char* key) const
{
    const std::optional<double> v = Number(key);
    if (v && !(*v > 0))
        RefuseSpectrum(FFile, QStringLiteral("%1 is %2; it must be above 0.").arg(QLatin1String(key)).arg(*v));
    return v;
}

std::optional<long long> TKeyValues::Whole(const char* key, long long minimum, long long maximum) const
{
    const std::optional<double> v = Number(key);
    if (v && !(*v == std::floor(*v) && *v >= double(minimum) && *v <= double(maximum)))
        RefuseSpectrum(FFile, QStringLiteral("%1 is %2; it must be a whole number from %3 to %4.")
                                  .arg(QLatin1String(key))
                                  .arg(*v)
                                  .arg(minimum)
                                  .arg(maximum));
    return v ? std::optional<long long>((long long)*v) : std::nullopt;
}

QString TKeyValues::UnitAfterNumber(const char* key) const
{
    const QRegularExpressionMatch m = LeadingNumber().match(Text(key).value_or(QString()));
    return m.hasMatch() ? m.captured(2).trimmed() : QString();
}
