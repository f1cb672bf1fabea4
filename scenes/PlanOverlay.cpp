#include "scenes/PlanOverlay.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "scenes/PlanInfoPanel.h"
#include "scenes/PlanLegend.h"
#include "scenes/Scene.h"

namespace {

constexpr int circleSegments = 48;
constexpr float lineWidth = 2.0f;
constexpr float routePointSize = 7.0f;
constexpr float cameraPointSize = 6.0f;
// In the camera's view, lines and points nearer than this ahead of the eye are left out.
constexpr float viewNearest = 2.0f;
// The top view leaves this share of its span free around the plan, and shows at least this
// much on either side of its centre, so that the bodies around a short plan show too.
constexpr double topViewPadding = 0.5;
constexpr double topViewLeastHalf = 12.0;
// Length of the camera's view direction in the top view, as a share of its span.
constexpr double viewDirectionShare = 0.08;

void setColour(const k_PlanOverlay::Colour& colour) {
    glColor3ub(colour.r, colour.g, colour.b);
}

// A circle about `center` in the plane of two axes (0 x, 1 y, 2 z).
void drawCircle(const k_Vector3& center, float radius, int firstAxis, int secondAxis) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < circleSegments; ++i) {
        const double angle = 2.0 * M_PI * i / circleSegments;
        double point[3] = {center.x, center.y, center.z};
        point[firstAxis] += radius * std::cos(angle);
        point[secondAxis] += radius * std::sin(angle);
        glVertex3d(point[0], point[1], point[2]);
    }
    glEnd();
}

// Three great circles: reads as a sphere and stays readable where many overlap.
void drawWireSphere(const k_Vector3& center, float radius) {
    drawCircle(center, radius, 0, 1);
    drawCircle(center, radius, 1, 2);
    drawCircle(center, radius, 0, 2);
}

void drawLineStrip(const std::vector<k_Vector3>& points) {
    glBegin(GL_LINE_STRIP);
    for (const k_Vector3& point : points) {
        glVertex3f(point.x, point.y, point.z);
    }
    glEnd();
}

// Lines in the camera's view, cut where they come nearer than `nearest` ahead of the eye:
// the route and the curve start at the eye, and a line through the eye's own neighbourhood
// would cross the whole picture for the smallest sideways offset.
struct ViewClip {
    k_Vector3 eye;
    k_Vector3 forward;
    float nearest;

    float depth(const k_Vector3& point) const { return dot(point - eye, forward); }

    void drawLines(const std::vector<k_Vector3>& points) const {
        glBegin(GL_LINES);
        for (std::size_t i = 1; i < points.size(); ++i) {
            k_Vector3 from = points[i - 1];
            k_Vector3 to = points[i];
            const float fromDepth = depth(from);
            const float toDepth = depth(to);
            if (fromDepth < nearest && toDepth < nearest) {
                continue;
            }
            if (fromDepth < nearest) {
                from = from + (to - from) * ((nearest - fromDepth) / (toDepth - fromDepth));
            } else if (toDepth < nearest) {
                to = to + (from - to) * ((nearest - toDepth) / (fromDepth - toDepth));
            }
            glVertex3f(from.x, from.y, from.z);
            glVertex3f(to.x, to.y, to.z);
        }
        glEnd();
    }

    void drawPoints(const std::vector<k_Vector3>& points, std::size_t first,
                    std::size_t end) const {
        glBegin(GL_POINTS);
        for (std::size_t i = first; i < end && i < points.size(); ++i) {
            if (depth(points[i]) >= nearest) {
                glVertex3f(points[i].x, points[i].y, points[i].z);
            }
        }
        glEnd();
    }
};

// Smallest and largest x and z of what the top view shows.
struct Extent {
    double low[2] = {INFINITY, INFINITY};
    double high[2] = {-INFINITY, -INFINITY};

    void add(const k_Vector3& point, double radius = 0.0) {
        if (!std::isfinite(point.x) || !std::isfinite(point.z) || !std::isfinite(radius)) {
            return;
        }
        low[0] = std::min(low[0], point.x - radius);
        high[0] = std::max(high[0], point.x + radius);
        low[1] = std::min(low[1], point.z - radius);
        high[1] = std::max(high[1], point.z + radius);
    }
};

} // namespace

k_PlanOverlay::k_PlanOverlay(k_Scene* sceneValue)
    : scene(sceneValue), snapshot(sceneValue->watchPlan()) {}

k_PlanOverlay::~k_PlanOverlay() {
    scene->unwatchPlan();
}

void k_PlanOverlay::draw() const {
    if (!snapshot.planned) {
        return;
    }
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The program is not part of the attribute groups.
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();

    glUseProgramObjectARB(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_LINE_STIPPLE);
    GLint textureUnits = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &textureUnits);
    for (GLint unit = 0; unit < textureUnits; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glLineWidth(lineWidth);

    drawInView();
    if (viewport[2] >= topViewSize + 2 * topViewMargin &&
        viewport[3] >= topViewSize + 2 * topViewMargin) {
        drawTopView(viewport[0] + topViewMargin, viewport[1] + topViewMargin);
    }
    drawCaption(viewport);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glUseProgramObjectARB(program);
}

void k_PlanOverlay::drawInView() const {
    // The camera node's own view transform, from an identity model-view.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const k_Vector3& eye = snapshot.eye;
    const k_Vector3& lookAt = snapshot.lookAt;
    const k_Vector3& up = snapshot.up;
    gluLookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, up.x, up.y, up.z);

    setColour(blockingColour);
    for (const k_BoundingSphere& sphere : snapshot.blockers) {
        drawWireSphere(sphere.center, sphere.radius);
    }
    if (!snapshot.hasTarget) {
        return;
    }
    setColour(targetColour);
    drawWireSphere(snapshot.target.center, snapshot.target.radius);

    k_Vector3 forward = lookAt - eye;
    forward.normalize();
    const ViewClip clip{eye, forward, viewNearest};
    const std::vector<k_Vector3>& route = snapshot.route;
    setColour(routeColour);
    clip.drawLines(route);
    setColour(curveColour);
    clip.drawLines(snapshot.curve);
    // The route's points last, on top of the lines that meet there; not the eye or the target.
    setColour(routeColour);
    glPointSize(routePointSize);
    clip.drawPoints(route, 1, route.size() - 1);
}

void k_PlanOverlay::drawTopView(int left, int bottom) const {
    const std::vector<k_Vector3>& route = snapshot.route;

    glEnable(GL_SCISSOR_TEST);
    glScissor(left, bottom, topViewSize, topViewSize);
    glClearColor(panelColour.r / 255.0f, panelColour.g / 255.0f, panelColour.b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(left, bottom, topViewSize, topViewSize);

    // Framed on the plan (a scene may spread its bodies far wider); bodies outside are cut.
    Extent extent;
    extent.add(snapshot.eye);
    if (snapshot.hasTarget) {
        extent.add(snapshot.target.center, snapshot.target.radius);
    }
    for (const k_Vector3& point : route) {
        extent.add(point);
    }
    for (const k_BoundingSphere& sphere : snapshot.blockers) {
        extent.add(sphere.center, sphere.radius);
    }
    // Nothing finite to show (an eye gone to infinity): frame the origin instead.
    const double centerX =
        std::isfinite(extent.low[0]) ? 0.5 * (extent.low[0] + extent.high[0]) : 0.0;
    const double centerZ =
        std::isfinite(extent.low[1]) ? 0.5 * (extent.low[1] + extent.high[1]) : 0.0;
    double half = 0.5 * std::max(extent.high[0] - extent.low[0], extent.high[1] - extent.low[1]);
    half = std::max(std::isfinite(half) ? half * (1.0 + topViewPadding) : 0.0, topViewLeastHalf);
    // Seen from above: x to the right, z downwards.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(centerX - half, centerX + half, centerZ + half, centerZ - half, -1.0, 1.0);
    // World x and z become the view's x and y; height is dropped, so every point lies
    // inside the depth range.
    static const GLfloat viewFromWorld[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(viewFromWorld);

    glLineWidth(1.0f);
    setColour(bodyColour);
    for (const k_BoundingSphere& body : snapshot.bodies) {
        drawCircle(body.center, body.radius, 0, 2);
    }
    setColour(blockingColour);
    for (const k_BoundingSphere& sphere : snapshot.blockers) {
        drawCircle(sphere.center, sphere.radius, 0, 2);
    }
    glLineWidth(lineWidth);
    if (snapshot.hasTarget) {
        setColour(targetColour);
        drawCircle(snapshot.target.center, snapshot.target.radius, 0, 2);
        setColour(routeColour);
        drawLineStrip(route);
        setColour(curveColour);
        drawLineStrip(snapshot.curve);
    }
    k_Vector3 direction = snapshot.lookAt - snapshot.eye;
    direction.y = 0.0f;
    direction.normalize();
    const k_Vector3 eye = snapshot.eye;
    const k_Vector3 ahead = eye + direction * static_cast<float>(2.0 * half * viewDirectionShare);
    setColour(cameraColour);
    glBegin(GL_LINES);
    glVertex3f(eye.x, eye.y, eye.z);
    glVertex3f(ahead.x, ahead.y, ahead.z);
    glEnd();
    glPointSize(cameraPointSize);
    glBegin(GL_POINTS);
    glVertex3f(eye.x, eye.y, eye.z);
    glEnd();
}

void k_PlanOverlay::drawCaption(const int viewport[4]) const {
    const std::string caption = k_PlanInfoPanel::caption(
        scene->getSceneName(), wordOf(scene->getPlannerKind()), scene->getSceneTime(),
        snapshot.hasTarget, snapshot.targetVisibleShare);
    std::vector<k_PlanInfoPanel::LegendEntry> legend;
    for (const k_PlanLegendEntry& entry : planLegend) {
        legend.push_back({{entry.colour.r, entry.colour.g, entry.colour.b}, entry.label});
    }
    k_PlanInfoPanel::draw(caption, legend, viewport[0] + cornerMargin,
                          viewport[1] + viewport[3] - cornerMargin, viewport);
}
