#include "InstrumentSettings.h"

#include "Errors.h"

namespace {
bool PrintableText(const QByteArray& text, qsizetype length)
{
    if (text.size() != length)
        return false;
    for (const char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}
} // namespace

void Validate(const TInstrumentConfig& config)
{
    const auto fail = [](const char* what) { throw EMerilError(QString::fromLatin1(what)); };
    if (!PrintableText(config.Serial, 4))
        fail("The serial number must be 4 printable characters");
    if (!PrintableText(config.Version, 3))
        fail("The program version must be 3 printable characters");
    if (!PrintableText(config.Faults.ErrorCode, 4))
        fail("The error code must be 4 printable characters");
    if (config.FieldSource < 0 || config.FieldSource > 5)
        fail("The field source must be 0..5");
    if (config.Points < 1 || config.Points > 0xFFFF)
        fail("The number of points must be 1..65535");
    if (!(config.EsrG > 0))
        fail("The g-factor must be positive");
    if (!(config.Noise >= 0))
        fail("The noise must be 0 or more");
    for (const double rate : {config.Faults.SplitRate, config.Faults.GarbageRate, config.Faults.NoCRRate,
                              config.Faults.ErrorRate})
        if (!(rate >= 0 && rate <= 1))
            fail("A fault rate must be 0..1");
    if (config.Faults.ExtraVLines < 0)
        fail("The number of extra V lines must be 0 or more");
}
