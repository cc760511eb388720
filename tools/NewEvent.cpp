// zlt-new-event FOLDER: makes a folder ready for a new edition of the games.
#include <cstdio>
#include <exception>

#include "tools/EventFolder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr,
                     "Usage: zlt-new-event FOLDER\n"
                     "Creates FOLDER with an empty results database (ZLT04.GDB), the settings\n"
                     "file Nastaveni.txt and the four stamp pictures. Start zlt inside it.\n");
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
