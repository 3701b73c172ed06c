#pragma once
// The instrument simulator executable (MERIL_SIM) serving on a pseudo-terminal.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The simulator executable, serving on linkPath, or on a link in a private
// folder when none is given.
class TSimProcess {
public:
    explicit TSimProcess(const QStringList& options, const QString& linkPath = QString())
    {
        const QString exe = qEnvironmentVariable("MERIL_SIM");
        const QString link = linkPath.isEmpty() ? FDir.filePath(QStringLiteral("sim")) : linkPath;
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(exe, QStringList{QStringLiteral("--link"), link} + options);
        if (FProcess.waitForStarted(5000) && FProcess.waitForReadyRead(5000))
            Link = QString::fromLocal8Bit(FProcess.readLine()).trimmed();
    }
    bool WaitForExit(int ms)
    {
        return FProcess.state() == QProcess::NotRunning || FProcess.waitForFinished(ms);
    }
    ~TSimProcess()
    {
        FProcess.terminate();
        FProcess.waitForFinished(5000);
    }
    QString Link;

private:
    QTemporaryDir FDir;
    QProcess FProcess;
};
