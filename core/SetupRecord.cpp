#include "SetupRecord.h"

#include <QtEndian>
#include <type_traits>

namespace {

// Calls f on every field of the record in file order (arrays element by
// element); reading and writing share this one list.
template <class Record, class F>
void ForEachField(Record& r, F&& f)
{
    const auto all = [&](auto& a) {
        for (auto& v : a)
            f(v);
    };
    f(r.Level);
    f(r.Gain);
    all(r.Phase);
    f(r.Acc);
    f(r.FieldSweep);
    all(r.Padding1);
    all(r.FieldSwRng);
    f(r.FreqSwRng);
    f(r.ModAmp);
    f(r.SweepT);
    all(r.TuningB0);
    f(r.DB0);
    all(r.Frequency);
    f(r.DFrq);
    f(r.Mode);
    all(r.Padding2);
}

} // namespace

QByteArray SetupRecordToBytes(const SetupRecord& r)
{
    QByteArray bytes(SetupRecord::Size, '\0');
    std::size_t at = 0;
    ForEachField(r, [&](const auto& v) {
        qToLittleEndian(v, bytes.data() + at);
        at += sizeof v;
    });
    return bytes;
}

bool SetupRecordFromBytes(QByteArrayView bytes, SetupRecord& r)
{
    if (bytes.size() < SetupRecord::Size)
        return false;
    std::size_t at = 0;
    ForEachField(r, [&](auto& v) {
        v = qFromLittleEndian<std::remove_reference_t<decltype(v)>>(bytes.data() + at);
        at += sizeof v;
    });
    return true;
}
