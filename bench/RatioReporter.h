#pragma once
// A console reporter that also keeps the seconds per iteration of every
// benchmark, for the ratios a benchmark prints after its run: as wall-clock
// time and as processor time of this process (on a machine busy with other
// work the wall clock also counts the waits for a core).

#include <benchmark/benchmark.h>
#include <map>
#include <string>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                Seconds[run.benchmark_name()] = run.real_accumulated_time / double(run.iterations);
                CpuSeconds[run.benchmark_name()] = run.cpu_accumulated_time / double(run.iterations);
            }
    }
    std::map<std::string, double> Seconds, CpuSeconds;
};
