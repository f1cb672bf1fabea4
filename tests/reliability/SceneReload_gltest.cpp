// Flipping between scenes for a long time must not grow the process: every load makes new
// textures, and the old scene's must go with its nodes; the shader program is shared.
// VELTRAVA_RELOADS sets the number of loads (default 200), e.g. 1000 for a long run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Random.h"
#include "reliability/BadFiles.h"
#include "reliability/SceneHarness.h"
#include "support/CaptureOutput.h"

TEST(SceneReload, CyclingThroughTheScenesKeepsMemoryAndGlNamesFlat) {
    const char* requested = std::getenv("VELTRAVA_RELOADS");
    const int loads = requested != nullptr && std::atoi(requested) > 8 ? std::atoi(requested) : 200;
    reliability::SceneHarness harness;
    long afterEight = 0;
    long heapAfterEight = 0;
    std::vector<GLuint> oldTextures;
    std::vector<GLuint> oldShaderObjects;
    int stillAlive = 0;
    GLuint firstProgram = 0;
    for (int i = 0; i < loads; ++i) {
        harness.load(i % 4 + 1);
        harness.frames(1, 1.0 / 60.0);
        const k_GenericSceneNode* light = dynamic_cast<const k_GenericSceneNode*>(
            harness.scene->getCamera()->getChildren().at(1));
        ASSERT_NE(light, nullptr);
        ASSERT_TRUE(glIsProgram(light->getShaderProgram()));
        // The unchanged shader files give every load the program the first one linked.
        firstProgram = i == 0 ? light->getShaderProgram() : firstProgram;
        EXPECT_EQ(light->getShaderProgram(), firstProgram);
        // Everything else the previous scene made is gone with it.
        for (GLuint texture : oldTextures) {
            stillAlive += glIsTexture(texture) ? 1 : 0;
        }
        for (GLuint object : oldShaderObjects) {
            const bool shared = object == light->getShaderProgram() ||
                                object == light->getVertexShader() ||
                                object == light->getFragmentShader();
            stillAlive += !shared && (glIsProgram(object) || glIsShader(object)) ? 1 : 0;
        }
        oldTextures.clear();
        for (k_JpegTexture* texture : harness.textures()) {
            oldTextures.push_back(texture->getTextureName());
        }
        oldShaderObjects = {light->getShaderProgram(), light->getVertexShader(),
                            light->getFragmentShader()};
        if (i + 1 == 8) {
            afterEight = reliability::residentKilobytes();
            heapAfterEight = reliability::heapInUseKilobytes();
        }
    }
    const long atEnd = reliability::residentKilobytes();
    const long heapAtEnd = reliability::heapInUseKilobytes();
    std::printf("resident after 8 loads: %ld kB, after %d loads: %ld kB (growth %ld kB); "
                "heap in use %ld kB, then %ld kB (growth %ld kB)\n",
                afterEight, loads, atEnd, atEnd - afterEight, heapAfterEight, heapAtEnd,
                heapAtEnd - heapAfterEight);
    EXPECT_EQ(stillAlive, 0);
#if !defined(VELTRAVA_SANITIZED)
    // Under AddressSanitizer freed memory waits in quarantine and the allocator is its own, so
    // neither figure says anything there; its leak check covers that build instead.
    // What is allocated and not freed is the leak: the heap in use stays within a kilobyte or
    // two from load to load, and one leaked body alone is more than half a kilobyte, one scene's
    // tree a few hundred. Resident memory also moves by several MB with what the allocator and
    // the driver keep cached, so it only has to stay far below what leaked textures would add
    // (one scene's are more than 5 MB).
    EXPECT_LT(heapAtEnd - heapAfterEight, 512);
    EXPECT_LT(atEnd - afterEight, 32 * 1024);
#endif
    EXPECT_TRUE(reliability::takeGlErrors().empty());
}

TEST(SceneReload, AReusedProgramDrawsWhatAFreshOneDrew) {
    reliability::SceneHarness harness;
    const auto picture = [&](GLhandleARB* program) {
        randomSeed(4711);
        harness.load(1);
        harness.draw();
        const k_GenericSceneNode* light = dynamic_cast<const k_GenericSceneNode*>(
            harness.scene->getCamera()->getChildren().at(1));
        *program = light != nullptr ? light->getShaderProgram() : 0;
        std::vector<unsigned char> pixels(800 * 600 * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    GLhandleARB first = 0;
    const std::vector<unsigned char> before = picture(&first);
    ASSERT_NE(first, 0u);
    // Uniform values no texture node sets: the nodes must set theirs again before any body.
    glUseProgramObjectARB(first);
    glUniform1iARB(glGetUniformLocationARB(first, "TextureAmbient"), 5);
    glUniform1iARB(glGetUniformLocationARB(first, "TextureNormal"), 6);
    glUniform1iARB(glGetUniformLocationARB(first, "bAmbient"), 0);
    glUniform1iARB(glGetUniformLocationARB(first, "bNormal"), 0);
    glUseProgramObjectARB(0);
    GLhandleARB second = 0;
    const std::vector<unsigned char> after = picture(&second);
    EXPECT_EQ(second, first);
    EXPECT_GT(harness.litShare(800, 600), 0.5);
    EXPECT_TRUE(after == before);
    EXPECT_TRUE(reliability::takeGlErrors().empty());
}
