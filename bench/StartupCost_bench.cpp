// What `q64 crc` costs from exec to exit against a small plain C tool doing
// the same checksum (bench/plain_crc.c) on the same 2 MiB image: the
// program's start-up (libraries loaded, set-up before the command runs) is
// the difference. Both run in turn within one benchmark, so a busy machine
// weighs on both alike. "ratio" is q64's wall time over the plain tool's,
// "cpu_ratio" the same for the processor time (user and system) the two
// processes used, which a busy machine disturbs less. Figures: bench/README.md.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "BenchFolder.h"
#include "engine/SampleFiles.h"

extern char** environ;

namespace {

struct Cost {
    double wall = -1; // seconds; negative when the program failed
    double cpu = 0;   // user and system seconds of the process
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs `argv` with its output thrown away.
Cost RunOnce(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = -1;
    rusage usage {};
    if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ) == 0) ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    Cost cost;
    if (status != 0) return cost;
    cost.wall = std::chrono::duration<double>(end - start).count();
    cost.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return cost;
}

void BM_CrcStartupAgainstPlainC(benchmark::State& state) {
    q64::bench::BenchFolder folder;
    q64::samples::ImageRecipe recipe;
    recipe.sizeBytes = 2 * 1024 * 1024;
    const std::string image = folder.File("image.z64");
    q64::samples::WriteFile(image, q64::samples::MakeImage(recipe));
    // Q64_BENCH_PROGRAM measures another q64 (an older build) against the same yardstick.
    const char* other = std::getenv("Q64_BENCH_PROGRAM");
    const std::vector<std::string> q64 = {other && *other ? other : Q64_PATH, "crc", image};
    const std::vector<std::string> plain = {PLAIN_CRC_PATH, image};
    // Settings from an empty file: nothing of the user's is read.
    ::setenv("Q64_CONFIG", folder.File("settings.ini").c_str(), 1);
    RunOnce(q64), RunOnce(plain); // the page cache holds both programs and the image
    Cost q64Total{0, 0}, plainTotal{0, 0};
    for (auto _ : state) {
        const Cost a = RunOnce(q64);
        const Cost b = RunOnce(plain);
        if (a.wall < 0 || b.wall < 0) {
            state.SkipWithError("a program failed");
            break;
        }
        q64Total.wall += a.wall, q64Total.cpu += a.cpu;
        plainTotal.wall += b.wall, plainTotal.cpu += b.cpu;
        state.SetIterationTime(a.wall + b.wall);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["q64_ms"] = q64Total.wall / n * 1000;
    state.counters["plain_ms"] = plainTotal.wall / n * 1000;
    state.counters["ratio"] = plainTotal.wall > 0 ? q64Total.wall / plainTotal.wall : 0;
    state.counters["q64_cpu_ms"] = q64Total.cpu / n * 1000;
    state.counters["plain_cpu_ms"] = plainTotal.cpu / n * 1000;
    state.counters["cpu_ratio"] = plainTotal.cpu > 0 ? q64Total.cpu / plainTotal.cpu : 0;
}
BENCHMARK(BM_CrcStartupAgainstPlainC)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

} // namespace
