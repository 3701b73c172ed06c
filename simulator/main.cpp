// meril-sim: the instrument simulator on a pseudo-terminal. Prints the link
// path on the first line of stdout, then serves until Ctrl-C.

#include "Errors.h"
#include "PtyServer.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
// The server a stop signal ends; set only while it exists.
std::atomic<TPtyServer*> Server{nullptr};

void OnStopSignal(int)
{
    if (TPtyServer* server = Server.load())
        server->Stop();
}

struct TStopTarget {
    explicit TStopTarget(TPtyServer& server) { Server = &server; }
    ~TStopTarget() { Server = nullptr; }
};

struct TOptionError {
    QString Text;
};

double RealOption(const QCommandLineParser& parser, const QString& name, double low, double high)
{
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || value < low || value > high)
        throw TOptionError{QStringLiteral("--%1 must be a number from %2 to %3").arg(name).arg(low).arg(high)};
    return value;
}

qint64 IntegerOption(const QCommandLineParser& parser, const QString& name, qint64 low, qint64 high, int base = 10)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok, base);
    if (!ok || value < low || value > high)
        throw TOptionError{QStringLiteral("--%1 must be %2 from %3 to %4")
                               .arg(name, base == 16 ? QStringLiteral("a hexadecimal number") : QStringLiteral("a whole number"))
                               .arg(low, 0, base)
                               .arg(high, 0, base)};
    return value;
}

TInstrumentConfig ConfigFrom(const QCommandLineParser& parser)
{
    TInstrumentConfig config;
    if (parser.isSet("sample")) {
        const auto sample = SampleByName(parser.value("sample"));
        if (!sample)
            throw TOptionError{QStringLiteral("--sample must be one of: %1").arg(SampleNames().join(", "))};
        config.Sample = *sample;
    }
    if (parser.isSet("serial"))
        config.Serial = parser.value("serial").toLatin1();
    if (parser.isSet("prg-version"))
        config.Version = parser.value("prg-version").toLatin1();
    if (parser.isSet("v2"))
        config.Version = "2.0";
    if (parser.isSet("z1"))
        config.Z1 = quint16(IntegerOption(parser, "z1", 0, 0xFFFF, 16));
    if (parser.isSet("z2"))
        config.Z2 = quint16(IntegerOption(parser, "z2", 0, 0xFFFF, 16));
    if (parser.isSet("field-source"))
        config.FieldSource = int(IntegerOption(parser, "field-source", 0, 5));
    if (parser.isSet("points"))
        config.Points = int(IntegerOption(parser, "points", 1, 0xFFFF));
    if (parser.isSet("esr-g"))
        config.EsrG = RealOption(parser, "esr-g", 1, 3);
    if (parser.isSet("noise"))
        config.Noise = RealOption(parser, "noise", 0, 1e6);
    if (parser.isSet("seed"))
        config.Seed = quint32(IntegerOption(parser, "seed", 0, 0xFFFFFFFF));
    TFaults& faults = config.Faults;
    if (parser.isSet("split-rate"))
        faults.SplitRate = RealOption(parser, "split-rate", 0, 1);
    if (parser.isSet("garbage-rate"))
        faults.GarbageRate = RealOption(parser, "garbage-rate", 0, 1);
    if (parser.isSet("nocr-rate"))
        faults.NoCRRate = RealOption(parser, "nocr-rate", 0, 1);
    if (parser.isSet("error-rate"))
        faults.ErrorRate = RealOption(parser, "error-rate", 0, 1);
    if (parser.isSet("error-code"))
        faults.ErrorCode = parser.value("error-code").toLatin1();
    if (parser.isSet("extra-v"))
        faults.ExtraVLines = int(IntegerOption(parser, "extra-v", 0, 0xFFFF));
    if (parser.isSet("spoil-pass"))
        faults.SpoilPass = int(IntegerOption(parser, "spoil-pass", 1, 0xFFFF));
    try {
        Validate(config);
    } catch (const EMerilError& e) {
        throw TOptionError{e.Text()};
    }
    return config;
}

void DefineOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Simulated CW NMR/ESR spectrometer on a pseudo-terminal. Prints the link path on the first\n"
        "line of stdout; point the program's port (MERIL.INI, line 4) at it. Ctrl-C ends it."));
    parser.addHelpOption();
    parser.addVersionOption();
    const auto add = [&](const char* name, const char* help, const char* valueName = nullptr, const char* fallback = nullptr) {
        QCommandLineOption option(QString::fromLatin1(name), QString::fromLatin1(help));
        if (valueName)
            option.setValueName(QString::fromLatin1(valueName));
        if (fallback)
            option.setDefaultValue(QString::fromLatin1(fallback));
        parser.addOption(option);
    };
    add("link", "Path of the symbolic link to the terminal (default /tmp/meril-sim).", "path", "/tmp/meril-sim");
    add("sample", qPrintable(QStringLiteral("Sample in the probe: %1 (default liquid-h).").arg(SampleNames().join(", "))), "name");
    add("serial", "Unit serial number, 4 characters (default 0042).", "text");
    add("prg-version", "Control program version, 3 characters (default 1.3).", "text");
    add("v2", "Control program version 2.0 (data scaled for the divisor 76000).");
    add("z1", "B0 zero calibration for NMR, hexadecimal (default 0802).", "hex");
    add("z2", "B0 zero calibration for ESR, hexadecimal (default 0801).", "hex");
    add("field-source", "Field source code 0..5 (default 4, magnet and coils).", "code");
    add("points", "Points of a pass, 1..65535 (default 1024).", "n");
    add("esr-g", "g-factor of the ESR sample (default 2.0036).", "g");
    add("noise", "RMS noise in display units at gain 128 (default 2).", "units");
    add("seed", "Seed of the noise and fault injection (default 1).", "n");
    add("speed", "Speed factor: 1 real time (default), 10 ten times faster, 0 unpaced.", "factor", "1");
    add("split-rate", "Fault: probability that a line arrives in two parts.", "p");
    add("garbage-rate", "Fault: probability of a garbage line before a line.", "p");
    add("nocr-rate", "Fault: probability that a line loses its CR.", "p");
    add("error-rate", "Fault: probability of an E line before a line.", "p");
    add("error-code", "Code of the injected E lines, 4 characters (default 0001).", "text");
    add("extra-v", "Fault: V lines sent beyond the announced number, every pass.", "n");
    add("spoil-pass", "Fault: the n-th pass since power-on has its baseline shifted (a spoiled pass).", "n");
    add("drop-after", "Fault: drop the link this many seconds after the first command.", "seconds");
    add("verbose", "Log every command received to stderr.");
    add("console", "Read commands from stdin: source 0..5, error CODE, drop, quit.");
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meril-sim"));
    QCommandLineParser parser;
    DefineOptions(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "meril-sim: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet("help") || parser.isSet("help-all")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet("version")) {
        std::printf("%s\n", qPrintable(VersionLine(QCoreApplication::applicationName())));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "meril-sim: unexpected argument %s\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    try {
        TInstrument instrument(ConfigFrom(parser));
        TServerOptions options;
        options.LinkPath = parser.value("link");
        options.Speed = RealOption(parser, "speed", 0, 1e6);
        if (parser.isSet("drop-after"))
            options.DropAfter = RealOption(parser, "drop-after", 0.001, 1e9);
        options.Verbose = parser.isSet("verbose");
        options.Console = parser.isSet("console");

        TPtyServer server(instrument, options);
        // From here a stop signal ends the server cleanly, link removed.
        const TStopTarget stopTarget(server);
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaction(signal, &action, nullptr);

        server.Open();
        std::printf("%s\n", qPrintable(options.LinkPath));
        std::fflush(stdout);
        const TSampleInfo& sample = SampleInfo(instrument.Config().Sample);
        std::fprintf(stderr, "meril-sim: %s on %s, sample %s (%s); Ctrl-C ends\n", qPrintable(options.LinkPath),
                     qPrintable(server.DevicePath()), sample.Name, sample.Description);
        server.Run();
        return 0;
    } catch (const TOptionError& e) {
        std::fprintf(stderr, "meril-sim: %s\n", qPrintable(e.Text));
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "meril-sim: %s\n", e.what());
        return 1;
    }
}
