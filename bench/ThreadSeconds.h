#pragma once
// Processor time of the calling thread, for benchmarks on a machine that
// other work may share.

#include <ctime>

inline double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
