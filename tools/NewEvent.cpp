// zlt-new-event FOLDER: makes a folder ready for a new edition of the games.
#include <cstdio>
#include <exception>
#include <string_view>

#include "tools/EventFolder.h"

namespace {

constexpr char kUsage[] =
    "Usage: zlt-new-event FOLDER\n"
    "Creates FOLDER with an empty results database (ZLT04.GDB), the settings\n"
    "file Nastaveni.txt and the four stamp pictures. Start zlt inside it.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::string_view argument = argc == 2 ? argv[1] : "";
    if (argument == "-h" || argument == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // What was meant as an option never becomes a folder; such a folder is still made when
    // named as "./-name".
    if (argc != 2 || argument.starts_with('-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        zlt::tools::createEventFolder(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zlt-new-event: %s\n", error.what());
        return 1;
    }
    std::printf("New event folder ready: %s\n", argv[1]);
    return 0;
}
