#include "cli/Services.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/auxv.h>
#include <string>
#include <unistd.h>

namespace q64::cli {

namespace {

// The folder of the running program, empty when it cannot be told. Without
// /proc (a chroot, an early boot script) the name the kernel was given to run
// tells it too.
std::string ProgramFolder() {
    char path[PATH_MAX];
    std::string program;
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) {
        program.assign(path, static_cast<std::size_t>(length));
    } else if (const auto* given = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
               given && ::realpath(given, path)) {
        program = path;
    }
    if (program.empty()) return {};
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

const CliServices* LoadModule() {
    using Entry = const CliServices* (*)();
    const std::string folder = ProgramFolder();
    std::string problem = folder.empty() ? "the program's folder is unknown" : "";
    if (!folder.empty()) {
        for (const std::string& candidate : {folder + "/" + Q64_SERVICES_DIR + "/" + kServicesModule,
                                             folder + "/" + kServicesModule}) {
            if (::access(candidate.c_str(), F_OK) != 0) {
                if (problem.empty()) problem = candidate + " is missing";
                continue;
            }
            void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!module) {
                const char* error = ::dlerror();
                problem = error ? error : candidate;
                break;
            }
            if (const auto entry = reinterpret_cast<Entry>(::dlsym(module, "q64_cli_services"))) return entry();
            problem = candidate + " has no services";
            break;
        }
    }
    std::fprintf(stderr, "q64: settings and verifying are not available: %s\n", problem.c_str());
    return nullptr;
}

} // namespace

const CliServices* Services() {
    if (q64_cli_services) return q64_cli_services();
    static const CliServices* const loaded = LoadModule();
    return loaded;
}

int RunVerify(ArgParser& args) {
    const CliServices* services = Services();
    return services ? services->verify(CommandNamed("verify"), args) : 1;
}

} // namespace q64::cli
