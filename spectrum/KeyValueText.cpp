#include "KeyValueText.h"

#include "Cp1252.h"
#include "ImportedSpectrum.h"

#include <charconv>
#include <cmath>
#include <cstring>

TKeyValues::TKeyValues(QByteArrayView text, const QString& file) : FFile(file)
{
    QByteArray pending;
    for (qsizetype start = 0; start < text.size();) {
        QByteArrayView raw = NextLine(text, start);
        QByteArray joined;
        if (!pending.isEmpty()) {
            joined = pending + raw.toByteArray();
            pending.clear();
            raw = joined;
        }
        if (raw.endsWith('\\')) {
            pending = raw.chopped(1).toByteArray();
            continue;
        }
        const QByteArrayView line = raw.trimmed();
        if (line.isEmpty() || line[0] == '*' || line[0] == '#' || line[0] == '.')
            continue;
        qsizetype gap = 0;
        while (gap < line.size() && line[gap] != ' ' && line[gap] != '\t')
            ++gap;
        const QByteArrayView key = line.first(gap);
        if (!Find(key.toByteArray().constData()))
            FValues.emplace_back(key.toByteArray(), line.sliced(gap).trimmed().toByteArray());
    }
}

const QByteArray* TKeyValues::Find(const char* key) const
{
    for (const auto& [k, v] : FValues)
        if (k == key)
            return &v;
    return nullptr;
}

std::optional<QString> TKeyValues::Text(const char* key) const
{
    const QByteArray* value = Find(key);
    if (!value)
        return std::nullopt;
    QByteArrayView v = *value;
    if (v.size() >= 2 && v.startsWith('\'') && v.endsWith('\''))
        v = v.sliced(1, v.size() - 2);
    return FromCp1252(v);
}

std::optional<double> TKeyValues::Number(const char* key) const
{
    const QByteArray* value = Find(key);
    if (!value)
        return std::nullopt;
    const char* first = value->constData() + (value->startsWith('+') ? 1 : 0);
    double v = NAN;
    std::from_chars(first, value->constData() + value->size(), v);
    if (!std::isfinite(v))
        RefuseSpectrum(FFile, QStringLiteral("%1 is \"%2\", not a number.").arg(QLatin1String(key), FromCp1252(*value)));
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
