#include <GL/freeglut.h>

#include <cstdlib>

#include "app/DemoOptions.h"
#include "app/GlutApplication.h"
#include "scenes/Scene.h"

int main(int argc, char** argv) {
    // GLUT first: it takes its own X options (-display and the like) out of the line.
    glutInit(&argc, argv);
    k_DemoOptions options;
    const int status = parseDemoOptions(argc, argv, options);
    if (status != demoOptionsRun) {
        return status;
    }
    std::atexit(destroyApplication);
    initApplication(&argc, argv, 800, 600, "Veltrava Corrento");
    if (options.planner != k_PlannerKind::standard) {
        getApplication()->getScene()->setPlannerKind(options.planner);
    }
    if (options.showPlan) {
        getApplication()->showPlan();
    }
    getApplication()->run();
    return 0;
}
