// fuzz_parsers [--seed N] [--iterations N] [--target NAME]
// Feeds each target its seeds and then mutated inputs, N per target (default 1000), the
// same ones for the same seed (default 1). Counts crashes, exceptions a target lets escape
// and inputs that take longer than 100 ms; any of them fails the run (exit code 1), and
// the offending input is saved as fuzz-<target>-<iteration>.bin in the current directory.
#include "fuzz.h"

#include "config/configuration_manager.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace {

constexpr double kSlowMs = 100.0;

struct Current {
    const char* target = "";
    size_t iteration = 0;
    const std::string* input = nullptr;
} g_current;

void SaveInput(const char* target, size_t iteration, const std::string& input) {
    const std::string name =
        std::string("fuzz-") + target + "-" + std::to_string(iteration) + ".bin";
    if (FILE* file = std::fopen(name.c_str(), "wb")) {
        std::fwrite(input.data(), 1, input.size(), file);
        std::fclose(file);
    }
    std::printf("  input saved as %s (%zu bytes)\n", name.c_str(), input.size());
}

// A crash ends the process: report it and the input that caused it first.
[[noreturn]] void ReportCrash(unsigned long code) {
    std::printf("CRASH in %s at iteration %zu: exception 0x%08lx\n", g_current.target,
                g_current.iteration, code);
    if (g_current.input) SaveInput(g_current.target, g_current.iteration, *g_current.input);
    std::fflush(stdout);
    ExitProcess(3);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception) {
    ReportCrash(exception->ExceptionRecord->ExceptionCode);
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds one run took, or a negative number when an exception escaped.
double RunOnce(const FuzzTarget& target, const std::string& input, bool& taken) {
    const double start = NowMs();
    try {
        taken = target.run(input);
    } catch (const std::exception& error) {
        std::printf("UNEXPECTED exception in %s at iteration %zu: %s\n", target.name,
                    g_current.iteration, error.what());
        return -1;
    } catch (...) {
        std::printf("UNEXPECTED non-standard exception in %s at iteration %zu\n", target.name,
                    g_current.iteration);
        return -1;
    }
    return NowMs() - start;
}

struct Totals {
    size_t runs = 0, unexpected = 0, slow = 0;
    double slowestMs = 0;
    size_t slowestSize = 0;
    std::string slowestTarget;
};

void RunTarget(const FuzzTarget& target, size_t iterations, uint64_t seed, Totals& totals) {
    Mutator mutator(seed);
    // Inputs the parser took are mutated further, so the mutations reach past its first
    // checks: the seeds, then a bounded pool of taken inputs.
    std::vector<std::string> pool = target.seeds;
    constexpr size_t kPoolSize = 256;
    target.run(pool.front());  // untimed: the first call fills the caches of the run
    size_t unexpected = 0, slow = 0, taken = 0;
    double slowestMs = 0;
    for (size_t i = 0; i < iterations; ++i) {
        std::string input = i < target.seeds.size()
                                ? target.seeds[i]
                                : mutator.Mutate(pool[mutator.Below(pool.size())], target);
        g_current = {target.name, i, &input};
        bool accepted = false;
        double ms = RunOnce(target, input, accepted);
        // A slow run is timed again: the machine may have been busy with something else.
        if (ms > kSlowMs) ms = std::min(ms, RunOnce(target, input, accepted));
        if (accepted) {
            ++taken;
            if (pool.size() < kPoolSize)
                pool.push_back(input);
            else
                pool[mutator.Below(kPoolSize)] = input;
        }
        if (ms < 0) {
            ++unexpected;
            SaveInput(target.name, i, input);
        } else if (ms > kSlowMs) {
            ++slow;
            std::printf("SLOW input in %s at iteration %zu: %.0f ms\n", target.name, i, ms);
            SaveInput(target.name, i, input);
        }
        if (ms > slowestMs) slowestMs = ms;
        if (ms > totals.slowestMs) {
            totals.slowestMs = ms;
            totals.slowestSize = input.size();
            totals.slowestTarget = target.name;
        }
    }
    g_current = {};
    std::printf(
        "%-24s %8zu inputs (%zu taken)  %zu unexpected exceptions  %zu slow  "
        "slowest %.1f ms\n",
        target.name, iterations, taken, unexpected, slow, slowestMs);
    totals.runs += iterations;
    totals.unexpected += unexpected;
    totals.slow += slow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    uint64_t seed = 1;
    size_t iterations = 1000;
    std::wstring only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--seed")
            seed = std::wcstoull(argv[i + 1], nullptr, 10);
        else if (option == L"--iterations")
            iterations = std::wcstoull(argv[i + 1], nullptr, 10);
        else if (option == L"--target")
            only = argv[i + 1];
    }
    SetUnhandledExceptionFilter(OnCrash);
    std::set_terminate([] { ReportCrash(0); });  // an exception through noexcept
    std::printf("seed %llu, %zu inputs per target\n", static_cast<unsigned long long>(seed),
                iterations);
    Totals totals;
    for (const FuzzTarget& target : FuzzTargets()) {
        if (!only.empty() && only != std::wstring(target.name, target.name + strlen(target.name)))
            continue;
        RunTarget(target, iterations, seed, totals);
        std::fflush(stdout);
    }
    std::printf(
        "total: %zu inputs, 0 crashes, %zu unexpected exceptions, %zu slow; slowest "
        "%.1f ms (%s, %zu bytes)\n",
        totals.runs, totals.unexpected, totals.slow, totals.slowestMs, totals.slowestTarget.c_str(),
        totals.slowestSize);
    // The configuration made a working directory for this run; it is empty.
    RemoveDirectoryW(ConfigurationManager::GetInstance()->m_workingDirectory.c_str());
    return totals.unexpected || totals.slow ? 1 : 0;
}
