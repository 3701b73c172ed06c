#pragma once
// The version of the program and its tools, one number for all three.

#include <QString>

// "1.0 (git 1a2b3c4d5e)" in a git checkout's build, else "1.0".
QString MerilVersion();
// "program 1.0 (git 1a2b3c4d5e)": the line that --version prints.
QString VersionLine(const QString& program);
