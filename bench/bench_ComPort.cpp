// Reply lines through a pseudo-terminal: TComPort with the main window's receive
// pattern beside a plain read loop on the same kind of pty, both as multiples of
// what the instrument's line can carry (19200 baud, 8N2: 1745 bytes/s).

#include "ComPort.h"
#include "LineReader.h"
#include "PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr double LineRate = 19200.0 / 11.0;  // bytes/s: start bit, 8 data bits, 2 stop bits
constexpr int LinesPerBurst = 2000;

QByteArray Burst()
{
    QByteArray burst;
    for (int i = 0; i < LinesPerBurst; ++i)
        burst += "V " + QByteArray::number(i * 7919, 16).rightJustified(8, '0') + '\r';
    return burst;
}

// Bytes per second of wall time, as a multiple of the line rate.
void Report(benchmark::State& state, qsizetype bytesPerBurst, const QElapsedTimer& clock)
{
    const double bytes = double(state.iterations()) * double(bytesPerBurst);
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["x_line_rate"] = bytes / (double(clock.nsecsElapsed()) * 1e-9) / LineRate;
}

void BM_ComPortLines(benchmark::State& state)
{
    const QByteArray burst = Burst();
    TPtyPair pty;
    TComPort port;
    TLineReader reader(port);
    port.SetDeviceName(pty.SlavePath);
    port.Open();
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        reader.Lines.clear();
        if (!pty.Send(burst))
            state.SkipWithError("pty write stalled");
        while (reader.Lines.size() < LinesPerBurst)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Report(state, burst.size(), clock);
}

void BM_PlainPtyRead(benchmark::State& state)
{
    const QByteArray burst = Burst();
    TPtyPair pty;
    const int slave = ::open(pty.SlavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios line{};
    ::tcgetattr(slave, &line);
    ::cfmakeraw(&line);
    ::tcsetattr(slave, TCSANOW, &line);
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        qsizetype sent = 0, received = 0;
        char buffer[4096];
        while (received < burst.size()) {
            if (sent < burst.size()) {
                const ssize_t n = ::write(pty.Master, burst.constData() + sent, size_t(burst.size() - sent));
                sent += std::max<ssize_t>(n, 0);
            }
            received += std::max<ssize_t>(::read(slave, buffer, sizeof buffer), 0);
        }
    }
    ::close(slave);
    Report(state, burst.size(), clock);
}

BENCHMARK(BM_PlainPtyRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComPortLines)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
