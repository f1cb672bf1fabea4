#include "plandrawing/PlanOverlay.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "plandrawing/PlanInfoPanel.h"
#include "plandrawing/PlanLegend.h"
#include "plandrawing/TopViewFrame.h"
#include "scenegraph/FlatDrawingState.h"
#include "scenegraph/ScreenText.h"

namespace {

constexpr int circleSegments = 48;
// The target, the route and the curve; the blockers thinner, so that they stay in the back.
constexpr float lineWidth = 2.0f;
constexpr float blockerLineWidth = 1.0f;
// The dark edge around bright lines and points: this much wider in all.
constexpr float edgeWidth = 2.0f;
constexpr float routePointSize = 7.0f;
constexpr float cameraPointSize = 6.0f;
// In the camera's view, lines and points nearer than this ahead of the eye are left out.
constexpr float viewNearest = 2.0f;
// The top view darkens what lies behind it by this much, so the scene still shows through.
constexpr float topViewOpacity = 0.6f;
// Length of the camera's view direction in the top view, as a share of its span.
constexpr double viewDirectionShare = 0.08;
// The scale bar is at most this share of the top view's width, and sits this far (pixels) in
// from its lower-left corner.
constexpr double scaleBarShare = 0.3;
constexpr int scaleBarInset = 8;
constexpr k_ScreenText::Colour scaleBarColour{255, 255, 255};

void setColour(const k_PlanOverlay::Colour& colour) {
    glColor3ub(colour.r, colour.g, colour.b);
}

// Draws twice: wider in the dark edge colour, then in `colour` at `width`, so that a bright
// line or point reads on light and dark ground alike.
template <typename Drawing>
void drawEdged(const k_PlanOverlay::Colour& colour, float width, Drawing drawing) {
    setColour(k_PlanOverlay::edgeColour);
    glLineWidth(width + edgeWidth);
    glPointSize(width + edgeWidth);
    drawing();
    setColour(colour);
    glLineWidth(width);
    glPointSize(width);
    drawing();
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

// The scale bar's label: the length in world units, without a trailing ".0".
std::string lengthLabel(double length) {
    char text[32];
    std::snprintf(text, sizeof text, "%g units", length);
    return text;
}

void drawInView(const k_PlanSnapshot& plan) {
    // The camera node's own view transform, from an identity model-view.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(plan.eye.x, plan.eye.y, plan.eye.z, plan.lookAt.x, plan.lookAt.y, plan.lookAt.z,
              plan.up.x, plan.up.y, plan.up.z);

    setColour(k_PlanOverlay::blockingColour);
    glLineWidth(blockerLineWidth);
    for (const k_BoundingSphere& sphere : plan.routeBlockers) {
        drawWireSphere(sphere.center, sphere.radius);
    }
    if (!plan.hasTarget) {
        return;
    }
    k_Vector3 forward = plan.lookAt - plan.eye;
    forward.normalize();
    const ViewClip clip{plan.eye, forward, viewNearest};
    drawEdged(k_PlanOverlay::curveColour, lineWidth, [&] { clip.drawLines(plan.curve); });
    drawEdged(k_PlanOverlay::routeColour, lineWidth, [&] { clip.drawLines(plan.route); });
    // The route's points on top of the lines that meet there; not the eye or the target.
    drawEdged(k_PlanOverlay::routeColour, routePointSize,
              [&] { clip.drawPoints(plan.route, 1, plan.route.size() - 1); });
    // The target last, on top of everything else.
    drawEdged(k_PlanOverlay::targetColour, lineWidth,
              [&] { drawWireSphere(plan.target.center, plan.target.radius); });
}

// A bar of a round length in world units along the top view's lower edge, with its length.
void drawScaleBar(int left, int bottom, double halfWidth) {
    const double length = k_TopViewFrame::stepAtMost(2.0 * halfWidth * scaleBarShare);
    const int pixels =
        static_cast<int>(std::lround(length / (2.0 * halfWidth) * k_PlanOverlay::topViewSize));
    const int x = left + scaleBarInset;
    const int y = bottom + scaleBarInset;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, left + k_PlanOverlay::topViewSize, bottom, bottom + k_PlanOverlay::topViewSize,
            -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3ub(scaleBarColour.r, scaleBarColour.g, scaleBarColour.b);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    glVertex2f(x + 0.5f, y + 0.5f);
    glVertex2f(x + pixels + 0.5f, y + 0.5f);
    for (int end : {x, x + pixels}) {
        glVertex2f(end + 0.5f, y + 0.5f);
        glVertex2f(end + 0.5f, y + 4.5f);
    }
    glEnd();
    k_ScreenText::draw(lengthLabel(length), x + pixels + 5, y + k_ScreenText::ascent,
                       scaleBarColour);
}

void drawTopView(const k_PlanSnapshot& plan, int left, int bottom) {
    const double centerX = plan.topView.centerX;
    const double centerZ = plan.topView.centerZ;
    const double half = plan.topView.halfWidth;

    // Translucent: the scene shows through, darkened enough for the lines to read.
    glViewport(left, bottom, k_PlanOverlay::topViewSize, k_PlanOverlay::topViewSize);
    glEnable(GL_SCISSOR_TEST);
    glScissor(left, bottom, k_PlanOverlay::topViewSize, k_PlanOverlay::topViewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, topViewOpacity);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    glDisable(GL_BLEND);

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
    setColour(k_PlanOverlay::bodyColour);
    for (const k_BoundingSphere& body : plan.bodies) {
        drawCircle(body.center, body.radius, 0, 2);
    }
    setColour(k_PlanOverlay::blockingColour);
    for (const k_BoundingSphere& sphere : plan.routeBlockers) {
        drawCircle(sphere.center, sphere.radius, 0, 2);
    }
    glLineWidth(lineWidth);
    if (plan.hasTarget) {
        setColour(k_PlanOverlay::curveColour);
        drawLineStrip(plan.curve);
        setColour(k_PlanOverlay::routeColour);
        drawLineStrip(plan.route);
        setColour(k_PlanOverlay::targetColour);
        drawCircle(plan.target.center, plan.target.radius, 0, 2);
    }
    k_Vector3 direction = plan.lookAt - plan.eye;
    direction.y = 0.0f;
    direction.normalize();
    const k_Vector3 ahead =
        plan.eye + direction * static_cast<float>(2.0 * half * viewDirectionShare);
    setColour(k_PlanOverlay::cameraColour);
    glBegin(GL_LINES);
    glVertex3f(plan.eye.x, plan.eye.y, plan.eye.z);
    glVertex3f(ahead.x, ahead.y, ahead.z);
    glEnd();
    glPointSize(cameraPointSize);
    glBegin(GL_POINTS);
    glVertex3f(plan.eye.x, plan.eye.y, plan.eye.z);
    glEnd();

    drawScaleBar(left, bottom, half);
}

void drawCaption(const k_PlanSnapshot& plan, const int viewport[4]) {
    const std::string caption =
        k_PlanInfoPanel::caption(plan.sceneName, wordOf(plan.planner), plan.sceneTime,
                                 plan.hasTarget, plan.targetVisibleShare);
    std::vector<k_PlanInfoPanel::LegendEntry> legend;
    for (const k_PlanLegendEntry& entry : planLegend) {
        legend.push_back({{entry.colour.r, entry.colour.g, entry.colour.b}, entry.label});
    }
    k_PlanInfoPanel::draw(caption, legend, viewport[0] + k_PlanOverlay::cornerMargin,
                          viewport[1] + viewport[3] - k_PlanOverlay::cornerMargin, viewport);
}

} // namespace

k_PlanOverlay::k_PlanOverlay(const k_PlanSnapshot& snapshotValue) : snapshot(snapshotValue) {}

void k_PlanOverlay::draw() const {
    if (!snapshot.planned) {
        return;
    }
    const k_PlanSnapshot& plan = snapshot;

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const k_FlatDrawingState flat(k_FlatDrawingState::Matrices::save);
    drawInView(plan);
    // A snapshot whose top view was never framed has no scale to draw it at.
    if (viewport[2] >= topViewSize + 2 * cornerMargin &&
        viewport[3] >= topViewSize + 2 * cornerMargin && plan.topView.halfWidth > 0.0 &&
        std::isfinite(plan.topView.halfWidth)) {
        drawTopView(plan, viewport[0] + cornerMargin, viewport[1] + cornerMargin);
    }
    drawCaption(plan, viewport);
}
