// main() for the test programs that need a QApplication: the offscreen
// platform (no display needed, also while tests are discovered at build time)
// and fresh XDG config, runtime and data folders, set before anything reads them, so
// no test ever touches the user's settings or a running program's lock.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string MakeTempFolder(const char* stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) return std::string();
    return pattern;
}

} // namespace

int main(int argc, char** argv) {
    const std::string config = MakeTempFolder("q64cfg");
    const std::string runtime = MakeTempFolder("q64run");
    const std::string data = MakeTempFolder("q64data"); // the desktop trash of the tests
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setOrganizationName(QStringLiteral("Fenwold"));
        QApplication::setApplicationName(QStringLiteral("Quorvel64"));
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    if (!config.empty()) std::filesystem::remove_all(config, ec);
    if (!runtime.empty()) std::filesystem::remove_all(runtime, ec);
    if (!data.empty()) std::filesystem::remove_all(data, ec);
    return result;
}
