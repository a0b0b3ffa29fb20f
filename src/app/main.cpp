// qx580: the device utility's window.
#include <cstring>
#include <iostream>

#include "app/application.h"

int main(int argc, char** argv) {
    // Answered before any window system or bus is touched, so it works anywhere.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "qx580 " << QX580_VERSION << '\n';
            return 0;
        }
    }
    return qx::app::RunApplication(argc, argv);
}
