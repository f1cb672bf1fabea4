// The off-screen context, each on threads of its own, so that the test window's context
// stays current on the main thread.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "scenegraph/HeadlessGlContext.h"

namespace {

TEST(HeadlessGlContext, IsCurrentAndDrawsOnceMade) {
    std::thread([] {
        std::string error;
        const std::unique_ptr<k_HeadlessGlContext> context =
            k_HeadlessGlContext::create(64, 32, error);
        ASSERT_NE(context, nullptr) << error;
        EXPECT_TRUE(k_HeadlessGlContext::isCurrent());
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 64);
        EXPECT_EQ(viewport[3], 32);
    }).join();
}

TEST(HeadlessGlContext, AMakeCurrentThatEglRefusesIsReportedAsAFailure) {
    std::string error;
    std::unique_ptr<k_HeadlessGlContext> context;
    k_ManualResetEvent made(false, "made");
    k_ManualResetEvent tried(false, "tried");
    // The owner makes it current on its thread and keeps it so until the other has tried.
    std::thread owner([&] {
        context = k_HeadlessGlContext::create(64, 32, error);
        made.set();
        tried.wait();
        context.reset();
    });
    made.wait();
    const bool haveContext = context != nullptr;
    if (haveContext) {
        std::thread([&] {
            std::string refusal;
            EXPECT_FALSE(context->makeCurrent(refusal));
            EXPECT_NE(refusal.find("eglMakeCurrent failed"), std::string::npos) << refusal;
            EXPECT_FALSE(k_HeadlessGlContext::isCurrent());
        }).join();
    }
    tried.set();
    owner.join();
    EXPECT_TRUE(haveContext) << error;
}

} // namespace
