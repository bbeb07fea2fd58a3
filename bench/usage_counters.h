#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace vela::bench {

// Minor page faults since construction and the peak memory of the process, put beside a
// benchmark's time: page faults cost far more on some machines than on others.
class UsageCounters {
  public:
    UsageCounters() : faults_(Now().ru_minflt) {}
    void Report(benchmark::State& state) const {
        const rusage u = Now();
        state.counters["minor_faults"] = static_cast<double>(u.ru_minflt - faults_);
        state.counters["peak_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
    }
    // The same with the faults shared out over the iterations: what one of them costs.
    void ReportPerIteration(benchmark::State& state) const {
        Report(state);
        state.counters["minor_faults"] = benchmark::Counter(state.counters["minor_faults"].value,
                                                            benchmark::Counter::kAvgIterations);
    }

  private:
    static rusage Now() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return u;
    }
    long faults_;
};

}  // namespace vela::bench
