// The results office of the Zeltoria games, started in an event folder.
#include "app/Startup.h"

int main(int argc, char** argv) {
    return zlt::app::ZLT(argc, argv);
}
