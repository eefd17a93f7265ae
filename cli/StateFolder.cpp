#include "cli/StateFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace q64::cli {

namespace {

constexpr const char* kFolderName = "quorvel64";

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeFolder() {
    if (std::string home = FromEnvironment("HOME"); !home.empty()) return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0] == '/') return user->pw_dir;
    return {};
}

} // namespace

bool IsPrivateFolder(const std::string& path, std::string& why) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        why = path + " is a symbolic link";
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        why = path + " is not a folder";
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        why = path + " belongs to another user";
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        why = path + " can be reached by other users (mode 0700 needed)";
        return false;
    }
    return true;
}

std::string PrivateStateFolder(std::string& why) {
    if (const std::string runtime = FromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty()) {
        std::string ignored;
        if (IsPrivateFolder(runtime, ignored)) return runtime;
    }
    std::string cache = FromEnvironment("XDG_CACHE_HOME");
    if (cache.empty()) {
        const std::string home = HomeFolder();
        if (home.empty()) {
            why = "no home folder to keep the state in";
            return {};
        }
        cache = home + "/.cache";
    }
    ::mkdir(cache.c_str(), 0700); // made as the user's cache folder should be; an existing one is taken as it is
    const std::string folder = cache + "/" + kFolderName;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = folder + ": " + std::strerror(errno);
        return {};
    }
    if (!IsPrivateFolder(folder, why)) return {};
    return folder;
}

} // namespace q64::cli
