// The plan overlay on a real frame: the state it leaves behind, and its corner of words.
#include <GL/glew.h>

#include <GL/glu.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "plandrawing/PlanInfoPanel.h"
#include "plandrawing/PlanLegend.h"
#include "plandrawing/PlanOverlay.h"
#include "plandrawing/TopViewFrame.h"
#include "platform/Random.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/ScreenText.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"
#include "support/GlState.h"

namespace {

constexpr int width = 800;
constexpr int height = 600;

std::vector<unsigned char> backBuffer() {
    std::vector<unsigned char> rgb(width * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
}

bool isColour(const std::vector<unsigned char>& rgb, int column, int row,
              const k_PlanOverlay::Colour& colour) {
    const unsigned char* at = &rgb[3 * (static_cast<std::size_t>(row) * width + column)];
    return at[0] == colour.r && at[1] == colour.g && at[2] == colour.b;
}

std::size_t countColour(const std::vector<unsigned char>& rgb,
                        const k_PlanOverlay::Colour& colour) {
    std::size_t count = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            count += isColour(rgb, column, row, colour) ? 1 : 0;
        }
    }
    return count;
}

// Every inked pixel of one line of text whose top-left is (left, top) shows `colour`; returns
// how many did not.
int missingTextPixels(const std::vector<unsigned char>& rgb, const std::string& line, int left,
                      int top, const k_PlanOverlay::Colour& colour) {
    int missing = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        for (int row = 0; row < k_ScreenText::ascent + k_ScreenText::descent; ++row) {
            for (int column = 0; column < k_ScreenText::glyphWidth; ++column) {
                if (k_ScreenText::isInked(line[i], column, row) &&
                    !isColour(rgb, left + static_cast<int>(i) * k_ScreenText::advance + column,
                              top - 1 - row, colour)) {
                    ++missing;
                }
            }
        }
    }
    return missing;
}

class PlanOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, double(width) / height, 0.1, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        randomSeed(1);
        ASSERT_TRUE(host.loadScene(2));
        host.showPlan();
        // Scene 2 at 0.016 s: by frame 300 the camera goes around the wall.
        for (int frame = 0; frame < 300; ++frame) {
            host.getScene()->update(0.016);
        }
    }

    /// Draws a frame with `overlay` over it (none for null) and reads it back.
    std::vector<unsigned char> frameWith(const k_PlanOverlay* overlay) {
        if (overlay != nullptr) {
            host.getRoot()->setOverlay([overlay] { overlay->draw(); });
        } else {
            host.getRoot()->setOverlay(nullptr);
        }
        host.drawFrame(k_SceneHost::FrameEnd::keepInBackBuffer);
        return backBuffer();
    }

    k_SceneHost host;
};

TEST_F(PlanOverlayTest, LeavesEveryStateAsItFoundItAndNeedsNoneOfIt) {
    GLhandleARB vertexShader = 0, fragmentShader = 0;
    const GLhandleARB program = makeSolidColourProgram(vertexShader, fragmentShader);
    ASSERT_TRUE(isProgramLinked(program));
    // A depth buffer every fragment fails against, and state a tree may leave on: a program
    // bound, the depth test, blending that keeps the old colour, lighting, a texture.
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    setAwkwardGlState(program);
    glActiveTexture(GL_TEXTURE1);
    const std::vector<GlStateEntry> before = readGlState();
    host.getRoot()->drawOverlay();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const std::vector<GlStateEntry> after = readGlState();
    glActiveTexture(GL_TEXTURE0);
    resetAwkwardGlState();
    deleteProgramAndShaders(program, vertexShader, fragmentShader);
    EXPECT_EQ(glStateDifferences(before, after), "");
    // Drawn all the same, in its own colours rather than the program's.
    const std::vector<unsigned char> rgb = backBuffer();
    EXPECT_GT(countColour(rgb, k_PlanOverlay::targetColour), 100u);
    EXPECT_GT(countColour(rgb, k_PlanOverlay::routeColour), 20u);
    EXPECT_EQ(countColour(rgb, {51, 102, 153}), 0u);
}

TEST_F(PlanOverlayTest, TheCornerNamesTheRunAndEveryColourAndTheNextFrameIsAsWithoutIt) {
    const std::vector<unsigned char> plain = frameWith(nullptr);
    const k_PlanOverlay overlay(host.getScene()->getPlanSnapshot());
    const std::vector<unsigned char> planned = frameWith(&overlay);
    EXPECT_TRUE(frameWith(nullptr) == plain) << "the overlay changed how the next frame is drawn";

    const k_PlanOverlay::Colour white{255, 255, 255};
    const int left = k_PlanOverlay::cornerMargin + k_PlanInfoPanel::padding;
    const int top = height - k_PlanOverlay::cornerMargin - k_PlanInfoPanel::padding;
    EXPECT_EQ(missingTextPixels(planned, "Scene 2, planner default", left, top, white), 0);
    // The second line starts with the scene time.
    EXPECT_EQ(missingTextPixels(planned, "t 4.80 s, target seen", left,
                                top - k_ScreenText::lineHeight, white),
              0);
    int lineTop = top - k_ScreenText::height("two\nlines") - k_PlanInfoPanel::padding;
    for (const k_PlanLegendEntry& entry : planLegend) {
        const int labelLeft = left + k_PlanInfoPanel::swatchWidth + k_PlanInfoPanel::swatchGap;
        EXPECT_EQ(missingTextPixels(planned, entry.label, labelLeft, lineTop, white), 0)
            << entry.label;
        EXPECT_TRUE(isColour(planned, left + k_PlanInfoPanel::swatchWidth / 2,
                             lineTop - k_ScreenText::ascent / 2 - 1, entry.colour))
            << entry.label;
        lineTop -= k_PlanInfoPanel::legendLineHeight;
    }
}

TEST_F(PlanOverlayTest, TheTopViewLetsTheSceneShowThroughAndCarriesItsScale) {
    const std::vector<unsigned char> plain = frameWith(nullptr);
    const k_PlanOverlay overlay(host.getScene()->getPlanSnapshot());
    const std::vector<unsigned char> planned = frameWith(&overlay);
    host.getRoot()->setOverlay(nullptr);

    // Where nothing of the plan is drawn, the top view is the scene darkened, not a panel.
    const int left = k_PlanOverlay::cornerMargin;
    const int bottom = k_PlanOverlay::cornerMargin;
    int seeThrough = 0;
    for (int row = bottom; row < bottom + k_PlanOverlay::topViewSize; ++row) {
        for (int column = left; column < left + k_PlanOverlay::topViewSize; ++column) {
            const std::size_t at = 3 * (static_cast<std::size_t>(row) * width + column);
            bool darkened = true;
            for (int channel = 0; channel < 3; ++channel) {
                const double expected = 0.4 * plain[at + channel];
                darkened = darkened && std::abs(planned[at + channel] - expected) <= 1.5;
            }
            seeThrough += darkened ? 1 : 0;
        }
    }
    EXPECT_GT(seeThrough, k_PlanOverlay::topViewSize * k_PlanOverlay::topViewSize * 8 / 10);

    // The scale bar: a round length, drawn to the view's scale, and its label after it.
    const double half = host.getScene()->getPlanSnapshot().topView.halfWidth;
    const double length = k_TopViewFrame::stepAtMost(0.6 * half);
    const int pixels = static_cast<int>(std::lround(length / (2.0 * half) * 200));
    const k_PlanOverlay::Colour white{255, 255, 255};
    const int barLeft = left + 8, barRow = bottom + 8;
    for (int column = barLeft; column <= barLeft + pixels; ++column) {
        EXPECT_TRUE(isColour(planned, column, barRow, white)) << column;
    }
    char label[32];
    std::snprintf(label, sizeof label, "%g units", length);
    EXPECT_EQ(missingTextPixels(planned, label, barLeft + pixels + 5, barRow + k_ScreenText::ascent,
                                white),
              0)
        << label;

    // The target's lines carry a dark edge, so that they read on a bright sky too.
    int edged = 0;
    for (int row = 1; row + 1 < height; ++row) {
        for (int column = 1; column + 1 < width; ++column) {
            if (isColour(planned, column, row, k_PlanOverlay::targetColour) &&
                (isColour(planned, column - 1, row, k_PlanOverlay::edgeColour) ||
                 isColour(planned, column + 1, row, k_PlanOverlay::edgeColour) ||
                 isColour(planned, column, row - 1, k_PlanOverlay::edgeColour) ||
                 isColour(planned, column, row + 1, k_PlanOverlay::edgeColour))) {
                ++edged;
            }
        }
    }
    EXPECT_GT(edged, 100);
}

// A snapshot made by hand, with no scene at all: the overlay shows what it holds and works
// nothing out for itself (the blockers it draws are the route's, not recomputed from those of
// the step).
TEST(PlanOverlayAlone, DrawsWhatTheSnapshotHoldsAndNothingElse) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / height, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    k_PlanSnapshot plan;
    const k_PlanOverlay overlay(plan);
    overlay.draw();
    EXPECT_EQ(countColour(backBuffer(), {0, 0, 0}), std::size_t(width) * height)
        << "nothing before a step was planned";

    plan.planned = true;
    plan.eye = k_Vector3(0.0f, 0.0f, 30.0f);
    plan.lookAt = k_Vector3(0.0f, 0.0f, 0.0f);
    plan.up = k_Vector3(0.0f, 1.0f, 0.0f);
    plan.hasTarget = true;
    plan.target = k_BoundingSphere(k_Vector3(0.0f, 0.0f, 0.0f), 2.0f);
    plan.targetVisibleShare = 0.5;
    plan.route = {plan.eye, k_Vector3(4.0f, 0.0f, 15.0f), plan.target.center};
    plan.curve = plan.route;
    plan.routeBlockers = {k_BoundingSphere(k_Vector3(-5.0f, 3.0f, 5.0f), 2.0f)};
    plan.sceneName = "A world of our own";
    plan.planner = k_PlannerKind::visibility;
    plan.sceneTime = 1.25;
    overlay.draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a top view never framed";
    const std::vector<unsigned char> unframed = backBuffer();
    int barPixels = 0;
    for (int column = k_PlanOverlay::cornerMargin; column < k_PlanOverlay::cornerMargin + 100;
         ++column) {
        barPixels += isColour(unframed, column, k_PlanOverlay::cornerMargin + 8, {255, 255, 255});
    }
    EXPECT_EQ(barPixels, 0) << "nor drawn";
    glClear(GL_COLOR_BUFFER_BIT);
    plan.topView = {0.0, 15.0, 20.0};
    overlay.draw();
    const std::vector<unsigned char> rgb = backBuffer();
    const k_PlanOverlay::Colour white{255, 255, 255};
    const int left = k_PlanOverlay::cornerMargin + k_PlanInfoPanel::padding;
    const int top = height - k_PlanOverlay::cornerMargin - k_PlanInfoPanel::padding;
    EXPECT_EQ(missingTextPixels(rgb, "A world of our own, planner visibility", left, top, white),
              0);
    EXPECT_EQ(missingTextPixels(rgb, "t 1.25 s", left, top - k_ScreenText::lineHeight, white), 0);
    EXPECT_GT(countColour(rgb, k_PlanOverlay::blockingColour), 100u);
    EXPECT_GT(countColour(rgb, k_PlanOverlay::targetColour), 100u);
    // The top view's scale bar follows the snapshot's half-width.
    const double length = k_TopViewFrame::stepAtMost(0.6 * plan.topView.halfWidth);
    char label[32];
    std::snprintf(label, sizeof label, "%g units", length);
    const int pixels = static_cast<int>(std::lround(length / (2.0 * plan.topView.halfWidth) * 200));
    EXPECT_EQ(missingTextPixels(rgb, label, k_PlanOverlay::cornerMargin + 8 + pixels + 5,
                                k_PlanOverlay::cornerMargin + 8 + k_ScreenText::ascent, white),
              0)
        << label;
}

// Scenes 3 and 4 over 24 s, looked at every fifth frame: the ball's bounce and the camera's
// approach from afar change the plan's size and place abruptly. Framed afresh on each picture,
// the view changed scale 2 and 5 times and its centre leapt up to 0.85 of its half-width.
TEST(PlanOverlaySteadiness, TheTopViewRarelyChangesScaleAndNeverLeaps) {
    for (int number : {3, 4}) {
        randomSeed(1);
        k_SceneHost host;
        ASSERT_TRUE(host.loadScene(number));
        host.showPlan();
        const k_PlanSnapshot::TopView& view = host.getScene()->getPlanSnapshot().topView;
        int changes = 0;
        double largestMove = 0.0;
        double lastHalf = 0.0, lastX = 0.0, lastZ = 0.0;
        for (int frame = 0; frame < 1500; ++frame) {
            host.getScene()->update(0.016);
            if (frame % 5 != 0) {
                continue;
            }
            if (lastHalf != 0.0 && view.halfWidth != lastHalf) {
                ++changes;
            } else if (lastHalf != 0.0) {
                const double move =
                    std::max(std::abs(view.centerX - lastX), std::abs(view.centerZ - lastZ));
                largestMove = std::max(largestMove, move / lastHalf);
            }
            lastHalf = view.halfWidth;
            lastX = view.centerX;
            lastZ = view.centerZ;
        }
        EXPECT_LE(changes, 2) << "Scene " << number;
        EXPECT_LT(largestMove, 0.1) << "Scene " << number;
    }
}

} // namespace
