// The installed programs as a shell meets them: --version and --help answer
// without a display, and a missing file is named the same way by every
// command. Run as processes (q64 loads its services module from beside it).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

#include "support/TempDir.h"

namespace q64::test {
namespace {

struct Answer {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `command` through the shell with no display and empty settings.
Answer RunShell(const std::string& command, const TempDir& dir) {
    const std::string shell = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= XDG_RUNTIME_DIR=" + dir.Path() +
                              " Q64_CONFIG=" + dir.File("q64.ini") + " XDG_CONFIG_HOME=" + dir.Path() + " " +
                              command + " 2>" + dir.File("err");
    Answer answer;
    if (std::FILE* pipe = ::popen(shell.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) answer.out.append(buffer.data(), n);
        const int raw = ::pclose(pipe);
        answer.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }
    const samples::Bytes err = dir.Read("err");
    answer.err.assign(err.begin(), err.end());
    return answer;
}

TEST(ProgramAnswers, VersionHelpAndMissingFiles) {
    TempDir dir;
    const std::string q64 = Q64_CLI_PATH, window = Q64_WINDOW_PATH, missing = dir.File("missing.z64");
    struct Case {
        std::string command;
        int status;
        std::string out; // a part of stdout
        std::string err; // a part of stderr
    };
    for (const Case& c : std::vector<Case>{
             {q64 + " --version", 0, "q64 (Quorvel64) 2.0.7\n", ""},
             {window + " --version", 0, "quorvel64 (Quorvel64) 2.0.7\n", ""},
             {window + " --help", 0, "usage: quorvel64 [OPTIONS] [FILE]", ""},
             {window + " -h", 0, "--screenshot PNG", ""},
             {window, 1, "", "quorvel64: no display to show the window on"},
             {q64 + " info " + missing, 1, "", "q64 info: " + missing + ": No such file\n"},
             {q64 + " verify --dat " + missing + " " + missing, 1, "", "q64 verify: "},
             {q64 + " verify --no-cache --dat " + dir.File("empty.dat") + " " + missing, 1, "",
              "q64 verify: " + missing + ": No such file\n"},
             {q64 + " crc " + missing, 1, "", "q64 crc: " + missing + ": No such file\n"},
             // A hash cache that cannot be made (its folder would lie below a file) is said once.
             {"XDG_CACHE_HOME=" + dir.File("empty.dat") + " " + q64 + " verify --dat " + dir.File("empty.dat") + " " +
                  missing + " " + missing,
              1, "", "q64 verify: no hash cache: "},
         }) {
        if (c.command.find("empty.dat") != std::string::npos)
            samples::WriteFile(dir.File("empty.dat"), {'<', 'd', 'a', 't', 'a', 'f', 'i', 'l', 'e', '/', '>'});
        const Answer a = RunShell(c.command, dir);
        if (c.err.find("no hash cache") != std::string::npos) {
            EXPECT_EQ(a.err.find("no hash cache"), a.err.rfind("no hash cache")) << a.err;
        }
        EXPECT_EQ(a.status, c.status) << c.command << "\n" << a.err;
        EXPECT_NE(a.out.find(c.out), std::string::npos) << c.command << "\n" << a.out;
        EXPECT_NE(a.err.find(c.err), std::string::npos) << c.command << "\n" << a.err;
        if (c.command.find(" info ") != std::string::npos) {
            EXPECT_EQ(a.out, "") << "nothing on stdout for a missing file";
        }
    }
}

} // namespace
} // namespace q64::test
