#pragma once
// Setup files (.cfg: one 104-byte SetupRecord), the program settings file
// MERIL.INI (ten positional lines) and the rule that names an automatically
// stored spectrum. No widgets: the main window applies what is read here.

#include "SetupRecord.h"
#include "SoundEvent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

inline constexpr char StandardSetupName[] = "STANDARD.CFG";

enum class TSetupLoadResult {
    Loaded,     // r holds the file's first record
    NotOpened,  // missing or unreadable: ignored silently, r unchanged
    TooShort    // fewer than 104 bytes: not a setup, r unchanged
};

TSetupLoadResult LoadSetupFile(const QString& path, SetupRecord& r);
// The operator's message for a file that LoadSetupFile found too short.
QString SetupTooShortText(const QString& path);
// Writes the record; an existing file is replaced only once the new one is
// complete. On failure error (when given) receives the reason.
bool SaveSetupFile(const QString& path, const SetupRecord& r, QString* error = nullptr);
// The file name part of path is STANDARD.CFG, in any case.
bool IsStandardSetup(const QString& path);

// Program-wide settings, read from MERIL.INI at start and written at close.
struct TSettings {
    QString SetupDir;
    QString AcqDir;
    QString DataOutDir;
    QString PortName = QStringLiteral("COM1");
    TSoundEvents Sounds = DefaultSoundEvents();
    bool operator==(const TSettings&) const = default;
};

inline constexpr char SettingsFileName[] = "MERIL.INI";

// Reads the ten lines of a settings file into s. Lines 1-3 (directories) fall
// back to programDir and line 4 (port) to "COM1" when empty; a missing line
// counts as empty. A flags line sets only the flags it holds (characters 1, 3
// and 5, each minus '0'); the others keep their value in s.
void ParseSettings(QByteArrayView content, const QString& programDir, TSettings& s);
// False, with s unchanged, when the file cannot be read.
bool ReadSettings(const QString& iniPath, const QString& programDir, TSettings& s);
// The ten lines, each ended by CR LF; texts in 1252 (UTF-8 for a text 1252 cannot hold).
QByteArray SettingsToBytes(const TSettings& s);
// False when the file cannot be written; an existing file then stays as it was.
bool WriteSettings(const QString& iniPath, const TSettings& s);

// Directory of the executable, with a trailing "/".
QString ProgramDir();

// Where MERIL.INI is read and written, and the directory that an empty or
// missing directory line stands for.
struct TSettingsPlace {
    QString ReadPath;
    QString WritePath;
    QString DefaultDir;          // with a trailing "/"
    bool InUserFolder = false;   // the program's folder does not take MERIL.INI
    QString Reason;              // then why: "the program's folder cannot be written"
};

// MERIL.INI stays beside the program (a build folder, a copy on a stick) when
// that folder is the user's own, outside the system's folders (/usr, /opt,
// ...), and can be written: an existing file that is writable in a writable
// folder, or none yet in a writable folder. Otherwise it is kept in
// userConfigDir and the directories default to userDir; until that file
// exists, the one beside the program (if any) is read. Root may write into
// /usr/bin, yet settings and spectra do not belong there.
TSettingsPlace ChooseSettingsPlace(const QString& programDir, const QString& userConfigDir, const QString& userDir);
// Reads the settings from place.ReadPath into s (false when it cannot be
// read). In the user's folder a missing file also means the default
// directories, and that folder is created when a directory is it.
bool LoadSettings(const TSettingsPlace& place, TSettings& s);
// Writes the settings to place.WritePath, creating the user's folder for it.
bool SaveSettings(const TSettingsPlace& place, const TSettings& s);

// Path of a spectrum stored automatically under the name typed before the
// run: acquisition directory + "/" + name, with ".dcw" added when the name has
// no extension. An empty acqDir gives a path from the root.
QString AutoSavePath(const QString& acqDir, const QString& name);
// The name to type instead of `name` so that AutoSavePath gives a file that
// does not exist yet: "run1" becomes "run1-2" (then "run1-3", ...), "run1-2"
// becomes "run1-3"; an extension typed stays at the end ("run1-2.dcw").
QString NextFreeName(const QString& acqDir, const QString& name);
