#pragma once
// The "KEY value" lines of the parameter files that go with other programs'
// spectra (BES3T .DSC, ESP .par): the key up to the first blank or tab, the
// value the rest of the line. Lines end in CR, LF or both; a line ending in
// "\" goes on in the next. Comment lines ("*"), section heads ("#") and
// device lines (".DVC") hold no key. The first line of a key counts.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class TKeyValues {
public:
    // file: named in the refusals of the readers below.
    TKeyValues(QByteArrayView text, const QString& file);

    bool Has(const char* key) const { return Find(key) != nullptr; }
    // The value without surrounding blanks and without enclosing single quotes.
    std::optional<QString> Text(const char* key) const;
    // The number the value starts with ("1.200 G" gives 1.2); nullopt when
    // the key is absent. A value that is no finite number is refused,
    // naming the key.
    std::optional<double> Number(const char* key) const;
    // As Number, also refused when not above 0.
    std::optional<double> Positive(const char* key) const;
    // A whole number; refused unless from `minimum` to `maximum`.
    std::optional<long long> Whole(const char* key, long long minimum, long long maximum) const;

    const QString& File() const { return FFile; }

private:
    const QByteArray* Find(const char* key) const;
    std::vector<std::pair<QByteArray, QByteArray>> FValues;   // key, value as written
    QString FFile;
};
