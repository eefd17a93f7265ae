// q64: the command-line front end of Quorvel64.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace {

void PrintHelp() {
    std::printf("usage: q64 COMMAND [OPTIONS] ARGS...\n"
                "Manages Nintendo 64 cartridge images, save files and copier transfers.\n\n"
                "Commands:\n");
    for (const q64::cli::Command& c : q64::cli::Commands()) std::printf("  %-11s %s\n", c.name, c.summary);
    std::printf("\nq64 COMMAND --help explains a command's options.\n"
                "Defaults come from the program's settings (~/.config/Fenwold/Quorvel64.ini;\n"
                "Q64_CONFIG names another file).\n"
                "q64 --version prints the version.\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        std::printf("q64 (Quorvel64) %s\n", Q64_VERSION);
        return 0;
    }
    for (const q64::cli::Command& c : q64::cli::Commands()) {
        if (name != c.name) continue;
        q64::cli::ArgParser args(std::vector<std::string>(argv + 2, argv + argc));
        if (args.WantsHelp()) {
            std::printf("%s", c.usage);
            return 0;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "q64: unknown command '%s' (q64 --help lists them)\n", name.c_str());
    return 2;
}
