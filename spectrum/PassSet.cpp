#include "PassSet.h"

#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

const QString PassFolderSuffix = QStringLiteral(".passes");

double Median(std::vector<double>& values)
{
    const size_t n = values.size();
    const auto mid = values.begin() + std::ptrdiff_t(n / 2);
    std::nth_element(values.begin(), mid, values.end());
    if (n % 2 == 1)
        return *mid;
    const double upper = *mid;
    const double lower = *std::max_element(values.begin(), mid);
    return (lower + upper) / 2;
}

// What must agree between the passes of one run: every setting of the
// header except the comment and Acc, and the point count.
auto Settings(const TKeptPass& p)
{
    const TDataHeader& h = p.Header;
    return std::make_tuple(h.Frequency, h.B0, h.SweepTp, h.SweepR, h.ModAmp, h.SweepTime, h.Gain, h.Phase, h.Resonance);
}

auto Likeness(const TKeptPass& p)
{
    return std::make_tuple(p.Sums.size(), Settings(p));
}

// rename(2), so that a failure leaves its reason in errno.
bool RenamePath(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A pass of the run's settings with fewer points was cut off while it was
// written; one of more points or other settings belongs to another run.
QString LeftOutReason(const TKeptPass& p, const TKeptPass& run)
{
    const size_t runPoints = run.Sums.size();
    if (p.Sums.size() < runPoints && Settings(p) == Settings(run))
        return QStringLiteral("damaged: it ends after %1 of the run's %2 points").arg(p.Sums.size()).arg(runPoints);
    if (p.Sums.size() != runPoints)
        return QStringLiteral("foreign: %1 points, the other passes have %2").arg(p.Sums.size()).arg(runPoints);
    return QStringLiteral("foreign: its settings differ from those of the other passes");
}

// The folder can be listed; otherwise why not, in the operator's words.
void CheckFolder(const QString& folder)
{
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        if (errno == ENOENT)
            throw EFileError(QStringLiteral("The passes folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
        throw EFileError(QStringLiteral("Cannot open the passes folder \"%1\": %2")
                             .arg(QDir::toNativeSeparators(folder), SystemErrorText(errno)));
    }
    if (!S_ISDIR(info.st_mode))
        throw EFileError(QStringLiteral("\"%1\" is not a folder.").arg(QDir::toNativeSeparators(folder)));
}

} // namespace

QString PassFileName(int number)
{
    return QStringLiteral("pass-%1.dcw").arg(number, 3, 10, QLatin1Char('0'));
}

std::optional<int> PassNumberOf(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^pass-(\\d{3,})\\.dcw$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto m = pattern.match(fileName);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    if (!ok || n < 1)
        return std::nullopt;
    return n;
}

QString PassFolderOf(const QString& spectrumPath)
{
    const QFileInfo f(spectrumPath);
    return QDir(f.path()).filePath(f.completeBaseName() + PassFolderSuffix);
}

QString SpectrumOfPassFolder(const QString& folder)
{
    QString path = QDir::cleanPath(folder);
    if (path.endsWith(PassFolderSuffix))
        path.chop(PassFolderSuffix.size());
    return path + QStringLiteral(".dcw");
}

bool IsPassFolder(const QString& path)
{
    return QDir::cleanPath(path).endsWith(PassFolderSuffix) && QFileInfo(path).isDir();
}

TDataHeader TPassSet::Header() const
{
    return Passes.empty() ? TDataHeader{} : Passes.front().Header;
}

QString TPassSet::ProblemText() const
{
    QStringList parts;
    for (const TPassProblem& p : Problems)
        parts << p.FileName + QStringLiteral(": ") + p.Reason;
    return parts.join(QStringLiteral("; "));
}

TPassSet ReadPassFolder(const QString& folder)
{
    CheckFolder(folder);
    const QDir dir(folder);
    TPassSet set;
    set.Folder = dir.absolutePath();

    // System entries too: a link that leads nowhere is named, not passed over.
    std::map<int, QString> files;
    for (const QString& name : dir.entryList(QDir::Files | QDir::System, QDir::Name))
        if (const auto n = PassNumberOf(name))
            files.emplace(*n, name);

    std::vector<TKeptPass> readable;
    for (const auto& [number, name] : files) {
        try {
            TSpectrum s = ReadSpectrumFile(dir.filePath(name));
            if (s.Acc != 1) {
                set.Problems.push_back({name, QStringLiteral("holds %1 passes, not one").arg(s.Acc)});
                continue;
            }
            readable.push_back({number, name, s.Header, std::move(s.Sums)});
        } catch (const EFileUnreadable& e) {
            set.Problems.push_back({name, QStringLiteral("unreadable: ") + e.Text()});
        } catch (const EMerilError& e) {
            set.Problems.push_back({name, QStringLiteral("damaged: ") + e.Text()});
        }
    }
    const int last = files.empty() ? 0 : files.rbegin()->first;
    for (int n = 1; n <= last; ++n)
        if (!files.count(n))
            set.Problems.push_back({PassFileName(n), QStringLiteral("missing")});

    // The settings most passes share are the run's; the first pass decides a tie.
    std::map<decltype(Likeness(TKeptPass{})), int> counts;
    for (const TKeptPass& p : readable)
        ++counts[Likeness(p)];
    const TKeptPass* reference = nullptr;
    int best = 0;
    for (const TKeptPass& p : readable)
        if (counts[Likeness(p)] > best) {
            best = counts[Likeness(p)];
            reference = &p;
        }
    if (reference) {
        const TKeptPass run = *reference;
        for (TKeptPass& p : readable) {
            if (Likeness(p) == Likeness(run))
                set.Passes.push_back(std::move(p));
            else
                set.Problems.push_back({p.FileName, LeftOutReason(p, run)});
        }
    }
    std::sort(set.Problems.begin(), set.Problems.end(),
              [](const TPassProblem& a, const TPassProblem& b) { return a.FileName < b.FileName; });

    QFile setup(dir.filePath(PassSetupFileName));
    if (setup.open(QIODevice::ReadOnly))
        set.SetupBytes = setup.readAll();
    return set;
}

std::vector<double> PassDeviations(std::span<const std::vector<int32_t>> passes)
{
    const size_t count = passes.size();
    if (count == 0)
        return {};
    const size_t points = passes.front().size();
    std::vector<double> squares(count, 0.0);
    std::vector<double> column(count);
    for (size_t i = 0; i < points; ++i) {
        for (size_t k = 0; k < count; ++k)
            column[k] = passes[k][i];
        std::vector<double> sorted = column;
        const double median = Median(sorted);
        for (size_t k = 0; k < count; ++k)
            squares[k] += (column[k] - median) * (column[k] - median);
    }
    std::vector<double> rms(count);
    for (size_t k = 0; k < count; ++k)
        rms[k] = points ? std::sqrt(squares[k] / double(points)) : 0.0;
    std::vector<double> sorted = rms;
    const double unit = Median(sorted);
    std::vector<double> deviation(count);
    for (size_t k = 0; k < count; ++k)
        deviation[k] = unit > 0 ? rms[k] / unit : (rms[k] > 0 ? std::numeric_limits<double>::infinity() : 0.0);
    return deviation;
}

std::vector<double> PassDeviations(const std::vector<TKeptPass>& passes)
{
    std::vector<std::vector<int32_t>> sums;
    sums.reserve(passes.size());
    for (const TKeptPass& p : passes)
        sums.push_back(p.Sums);
    return PassDeviations(std::span<const std::vector<int32_t>>(sums));
}

QString DeviationText(double deviation, int decimals)
{
    return std::isfinite(deviation) ? QString::number(deviation, 'f', decimals) : QStringLiteral("very large");
}

std::vector<int32_t> SumOfPasses(const std::vector<TKeptPass>& passes, const std::vector<bool>& chosen)
{
    std::vector<int32_t> sum(passes.empty() ? 0 : passes.front().Sums.size(), 0);
    for (size_t k = 0; k < passes.size(); ++k) {
        if (k >= chosen.size() || !chosen[k])
            continue;
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] = int32_t(uint32_t(sum[i]) + uint32_t(passes[k].Sums[i]));
    }
    return sum;
}

TDataHeader SumHeader(const TDataHeader& passHeader, int count)
{
    TDataHeader h = passHeader;
    h.Acc = QString::number(count);
    return h;
}

void TPassRecorder::Begin(const QString& folder, const QByteArray& setupBytes)
{
    FFolder = folder;
    FSetupBytes = setupBytes;
    FLastNumber = 0;
    FWritten = 0;
    FCreated = false;
}

void TPassRecorder::Resume(const QString& folder, int lastNumber)
{
    FFolder = folder;
    FSetupBytes.clear();
    FLastNumber = lastNumber;
    FWritten = 0;
    FCreated = true;
}

void TPassRecorder::Write(const TDataHeader& header, std::span<const int32_t> pass)
{
    if (!FCreated) {
        // Only the folder itself: a missing parent is an error, not something to create.
        if (::mkdir(QFile::encodeName(FFolder).constData(), 0777) != 0)
            throw EFileError(QStringLiteral("Cannot create the passes folder \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(FFolder), SystemErrorText(errno)));
        FCreated = true;
        if (!FSetupBytes.isEmpty()) {
            const QString path = QDir(FFolder).filePath(PassSetupFileName);
            QString error;
            if (!WriteWholeFile(path, FSetupBytes, &error))
                throw EFileError(QStringLiteral("Cannot write the setup of the passes \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(path), error));
        }
    }
    WriteSpectrumFile(QDir(FFolder).filePath(PassFileName(FLastNumber + 1)), SumHeader(header, 1), pass);
    ++FLastNumber;
    ++FWritten;
}

void TPassRecorder::MoveTo(const QString& folder)
{
    const QString target = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!Active() || QDir::cleanPath(QFileInfo(FFolder).absoluteFilePath()) == target)
        return;
    if (!FCreated) {
        FFolder = target;
        return;
    }
    if (QFileInfo::exists(target)) {
        QString aside;
        for (int i = 1; QFileInfo::exists(aside = target + QStringLiteral(".old-%1").arg(i)); ++i) {
        }
        if (!RenamePath(target, aside))
            throw EFileError(QStringLiteral("Cannot move the passes folder \"%1\" aside: %2")
                                 .arg(QDir::toNativeSeparators(target), SystemErrorText(errno)));
    }
    if (!RenamePath(FFolder, target))
        throw EFileError(QStringLiteral("Cannot move the passes folder \"%1\" to \"%2\": %3")
                             .arg(QDir::toNativeSeparators(FFolder), QDir::toNativeSeparators(target), SystemErrorText(errno)));
    FFolder = target;
}

void TPassRecorder::Clear()
{
    *this = TPassRecorder{};
}
