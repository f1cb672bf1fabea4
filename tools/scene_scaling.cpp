// Times the life of a swarm scene of N bodies as the simulator and the demo live it: open the
// window, load, one scene update (animations and planning step), one drawn frame (the second:
// the first also compiles shader code), a reload of the same scene, and the teardown of
// everything at exit; then the process's peak resident
// memory. One run per process, so each figure is a cold one: scripts/measure-scaling runs it
// several times per N and keeps the shortest. Usage: scene_scaling BODIES (in the data folder,
// with an X display).
#include <GL/glew.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scenegraph/MainSceneNode.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"
#include "tools/sim/SimWindow.h"
#include "tools/sim/WorldChoice.h"

namespace {

constexpr double frameTime = 0.016;
constexpr long largestSwarm = 1000000;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const long bodies = argc == 2 ? std::strtol(argv[1], &end, 10) : 0;
    if (argc != 2 || end == argv[1] || *end != '\0' || bodies < 1 || bodies > largestSwarm) {
        std::fprintf(stderr, "usage: scene_scaling BODIES (1 to %ld), run in the data folder\n",
                     largestSwarm);
        return 2;
    }
    // The demo's frame ends in a window's buffer swap, so this needs an X display.
    if (!k_SimWindow::hasDisplay()) {
        std::fprintf(stderr, "scene_scaling: no X display (DISPLAY is not set): run it on a "
                             "desktop or under Xvfb\n");
        return 1;
    }

    std::string error;
    auto start = std::chrono::steady_clock::now();
    k_SimWindow* window = k_SimWindow::open(false, error).release();
    const double open = secondsSince(start);

    start = std::chrono::steady_clock::now();
    window->load(k_WorldChoice::builtInScene(4, bodies));
    const double load = secondsSince(start);

    start = std::chrono::steady_clock::now();
    window->getScene()->update(frameTime);
    const double update = secondsSince(start);

    // The demo's display callback: the whole tree, then the swap; glFinish waits for llvmpipe.
    // The first frame after a load also compiles the shader program's code, which does not
    // depend on the bodies, so the second one is timed.
    double draw = 0.0;
    for (int frame = 0; frame < 2; ++frame) {
        start = std::chrono::steady_clock::now();
        window->getHost().drawFrame(k_SceneHost::FrameEnd::swap);
        glFinish();
        draw = secondsSince(start);
    }

    start = std::chrono::steady_clock::now();
    window->load(k_WorldChoice::builtInScene(4, bodies));
    const double reload = secondsSince(start);

    // What the demo's exit handler and the simulator's end do: the tree, the animations, the
    // controller, then the window.
    start = std::chrono::steady_clock::now();
    delete window;
    const double teardown = secondsSince(start);

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("bodies %ld open %.4f load %.4f update %.4f draw %.4f reload %.4f teardown %.4f "
                "peak_kB %ld\n",
                bodies, open, load, update, draw, reload, teardown, usage.ru_maxrss);
    return 0;
}
