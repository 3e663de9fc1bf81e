#include <cstdio>
#include <cstring>

namespace {

const char* const Usage =
    "Usage: korvalin [OPTION]...\n"
    "Counts the bytes this computer sends and receives.\n"
    "\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("korvalin %s\n", KORVALIN_VERSION);
            return 0;
        }
        std::fprintf(stderr, "korvalin: unknown option '%s'\n%s", argv[i], Usage);
        return 2;
    }
    std::fputs("korvalin: the windows are not built yet.\n", stderr);
    return 1;
}
