#include "USetup.h"

#include "Cp1252.h"
#include "Operator.h"
#include "WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

// The file can be replaced the way WriteWholeFile does it: a new file in the
// folder renamed over it. Asks the system, so a read-only file system counts
// as not writable also for root.
bool CanReplaceFile(const QString& dir, const QString& fileName)
{
    const auto writable = [](const QString& path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; };
    const QString path = QDir(dir).filePath(fileName);
    return writable(dir) && (!QFileInfo::exists(path) || writable(path));
}

// Why the program's folder is not for settings; empty when it is.
QString NotForSettings(const QString& programDir)
{
    const QFileInfo info(programDir);
    const QString dir = info.canonicalFilePath().isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                                                           : info.canonicalFilePath();
    for (const QString& prefix : {QStringLiteral("/usr"), QStringLiteral("/opt"), QStringLiteral("/bin"),
                                  QStringLiteral("/sbin")})
        if (dir == prefix || dir.startsWith(prefix + QLatin1Char('/')))
            return QStringLiteral("the program's folder is a system folder");
    struct stat owner {};
    if (::stat(QFile::encodeName(dir).constData(), &owner) == 0 && owner.st_uid != ::geteuid())
        return QStringLiteral("the program's folder belongs to another user");
    if (!CanReplaceFile(programDir, QLatin1String(SettingsFileName)))
        return QStringLiteral("the program's folder cannot be written");
    return {};
}

QString WithTrailingSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace

TSetupLoadResult LoadSetupFile(const QString& path, SetupRecord& r)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TSetupLoadResult::NotOpened;
    return SetupRecordFromBytes(file.read(SetupRecord::Size), r) ? TSetupLoadResult::Loaded
                                                                 : TSetupLoadResult::TooShort;
}

QString SetupTooShortText(const QString& path)
{
    return QStringLiteral("\"%1\" is not a setup file: it is shorter than %2 bytes.")
        .arg(QFileInfo(path).fileName())
        .arg(SetupRecord::Size);
}

bool SaveSetupFile(const QString& path, const SetupRecord& r, QString* error)
{
    return WriteWholeFile(path, SetupRecordToBytes(r), error);
}

bool IsStandardSetup(const QString& path)
{
    return QFileInfo(path).fileName().compare(QLatin1String(StandardSetupName), Qt::CaseInsensitive) == 0;
}

void ParseSettings(QByteArrayView content, const QString& programDir, TSettings& s)
{
    // An editor may have put a UTF-8 byte-order mark before line 1; it is no
    // part of the line (an empty line 1 must still mean the program's directory).
    if (content.startsWith(Utf8Bom))
        content = content.sliced(Utf8Bom.size());
    std::array<QByteArrayView, 10> lines{};
    for (QByteArrayView& line : lines) {
        if (content.isEmpty())
            break;
        const qsizetype end = content.indexOf('\n');
        line = end < 0 ? content : content.first(end);
        content = end < 0 ? QByteArrayView() : content.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const auto orDefault = [](QByteArrayView line, const QString& fallback) {
        return line.isEmpty() ? fallback : FromCp1252OrUtf8(line);
    };
    s.SetupDir = orDefault(lines[0], programDir);
    s.AcqDir = orDefault(lines[1], programDir);
    s.DataOutDir = orDefault(lines[2], programDir);
    s.PortName = orDefault(lines[3], QStringLiteral("COM1"));
    for (std::size_t e = 0; e < s.Sounds.size(); ++e) {
        TSoundEvent& sound = s.Sounds[e];
        sound.FileName = FromCp1252OrUtf8(lines[4 + 2 * e]);
        const QByteArrayView flags = lines[5 + 2 * e];
        uint8_t* const targets[] = {&sound.Off, &sound.Single, &sound.SingleEnabled};
        for (int f = 0; f < 3 && 2 * f < flags.size(); ++f)
            *targets[f] = static_cast<uint8_t>(flags[2 * f] - '0');
    }
}

bool ReadSettings(const QString& iniPath, const QString& programDir, TSettings& s)
{
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ParseSettings(file.readAll(), programDir, s);
    return true;
}

QByteArray SettingsToBytes(const TSettings& s)
{
    QByteArray bytes;
    const auto line = [&](const QByteArray& text) { bytes += text + "\r\n"; };
    for (const QString* dir : {&s.SetupDir, &s.AcqDir, &s.DataOutDir})
        line(ToCp1252OrUtf8(*dir));
    // A setup directory whose bytes begin like a byte-order mark keeps them
    // behind one that reading takes away.
    if (bytes.startsWith(Utf8Bom))
        bytes.prepend(Utf8Bom);
    line(ToCp1252OrUtf8(s.PortName));
    for (const TSoundEvent& sound : s.Sounds) {
        line(ToCp1252OrUtf8(sound.FileName));
        // One digit each: a flag read from any other character than 0 is set.
        const auto digit = [](uint8_t flag) { return flag ? '1' : '0'; };
        const char flags[] = {digit(sound.Off), ',', digit(sound.Single), ',', digit(sound.SingleEnabled)};
        line(QByteArray(flags, sizeof flags));
    }
    return bytes;
}

bool WriteSettings(const QString& iniPath, const TSettings& s)
{
    return WriteWholeFile(iniPath, SettingsToBytes(s));
}

QString ProgramDir()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

TSettingsPlace ChooseSettingsPlace(const QString& programDir, const QString& userConfigDir, const QString& userDir)
{
    const QString besideProgram = QDir(programDir).filePath(QLatin1String(SettingsFileName));
    const QString reason = NotForSettings(programDir);
    if (reason.isEmpty())
        return {besideProgram, besideProgram, programDir, false, {}};
    const QString inUserFolder = QDir(userConfigDir).filePath(QLatin1String(SettingsFileName));
    return {QFileInfo::exists(inUserFolder) ? inUserFolder : besideProgram, inUserFolder,
            WithTrailingSlash(QDir::cleanPath(userDir)), true, reason};
}

bool LoadSettings(const TSettingsPlace& place, TSettings& s)
{
    const bool read = ReadSettings(place.ReadPath, place.DefaultDir, s);
    if (!place.InUserFolder)
        return read;
    if (!read)
        s.SetupDir = s.AcqDir = s.DataOutDir = place.DefaultDir;
    if (s.SetupDir == place.DefaultDir || s.AcqDir == place.DefaultDir || s.DataOutDir == place.DefaultDir)
        QDir().mkpath(place.DefaultDir);
    return read;
}

bool SaveSettings(const TSettingsPlace& place, const TSettings& s)
{
    if (place.InUserFolder)
        QDir().mkpath(QFileInfo(place.WritePath).path());
    return WriteSettings(place.WritePath, s);
}

QString AutoSavePath(const QString& acqDir, const QString& name)
{
    return WithDefaultExt(acqDir + QLatin1Char('/') + name, QStringLiteral("dcw"));
}

QString NextFreeName(const QString& acqDir, const QString& name)
{
    const QFileInfo typed(name);
    const QString suffix = typed.fileName().contains(QLatin1Char('.'))
                               ? name.mid(name.lastIndexOf(QLatin1Char('.')))
                               : QString();
    QString base = name.left(name.size() - suffix.size());
    int n = 2;
    static const QRegularExpression numbered(QStringLiteral("^(.*)-(\\d{1,6})$"));
    if (const QRegularExpressionMatch m = numbered.match(base); m.hasMatch()) {
        base = m.captured(1);
        n = m.captured(2).toInt() + 1;
    }
    for (;; ++n) {
        const QString candidate = QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix);
        if (!QFileInfo::exists(AutoSavePath(acqDir, candidate)))
            return candidate;
    }
}
