#include "cli/Interrupt.h"

#include <csignal>
#include <cstdio>
#include <string>

namespace q64::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_signal = 0;
struct sigaction g_previous[3];
int g_depth = 0;

int g_testSignal = 0;
int g_testPercent = 0;

void OnSignal(int signal) { g_signal = signal; }

} // namespace

InterruptGuard::InterruptGuard() {
    g_signal = 0;
    if (g_depth++ > 0) return; // an outer guard has the handler installed already
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESETHAND; // a second signal ends the program at once
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

InterruptGuard::~InterruptGuard() {
    if (--g_depth > 0) return;
    for (std::size_t i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

int InterruptSignal() { return g_depth > 0 ? g_signal : 0; }

int InterruptedExitStatus() { return InterruptSignal() ? 128 + InterruptSignal() : 1; }

int ReportInterrupt(const char* command, const std::string& path, EngineResult result) {
    const int signal = InterruptSignal();
    const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
    if (result == EngineResult::ErrCancelled)
        std::fprintf(stderr, "q64 %s: %s: cancelled by %s; the file is as it was\n", command, path.c_str(), name);
    else
        std::fprintf(stderr, "q64 %s: %s: failed (%s) after %s\n", command, path.c_str(), ResultName(result), name);
    return InterruptedExitStatus();
}

void RaiseDuringProgressForTesting(int signal, int percent) {
    g_testSignal = signal;
    g_testPercent = percent;
}

void ProgressTestPoint(int percent) {
    if (g_testSignal == 0 || percent < g_testPercent) return;
    const int signal = g_testSignal;
    g_testSignal = 0;
    std::raise(signal);
}

} // namespace q64::cli
