#include <cstdlib>

#include "app/GlutApplication.h"

int main(int argc, char** argv) {
    std::atexit(destroyApplication);
    initApplication(&argc, argv, 800, 600, "Veltrava Corrento");
    getApplication()->run();
    return 0;
}
