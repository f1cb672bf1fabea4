#pragma once

// A scene host in the GL test window, driven as the main loop drives it: load, update, draw.
// Frames are left in the back buffer so that the picture can be read back.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/GlutCallbacks.h"
#include "camera/Camera.h"
#include "math/Vector3.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/JpegTexture.h"
#include "scenegraph/MainSceneNode.h"
#include "scenegraph/Sphere.h"
#include "scenes/Scene.h"
#include "scenes/SceneHost.h"

namespace reliability {

class SceneHarness {
public:
    /// The window's projection is set as the reshape callback sets it for 800 x 600.
    SceneHarness() { onReshape(800, 600); }
    SceneHarness(const SceneHarness&) = delete;
    SceneHarness& operator=(const SceneHarness&) = delete;

    void load(int number) { ASSERT_TRUE(host.loadScene(number)) << number; }

    /// The root's frame without the swap, finished before it is read.
    void draw() {
        host.drawFrame(k_SceneHost::FrameEnd::keepInBackBuffer);
        glFinish();
    }

    void frames(int count, double dt) {
        for (int i = 0; i < count; ++i) {
            scene->update(dt);
            draw();
        }
    }

    /// Share of the pixels in the viewport's lower-left w x h block that are not black.
    double litShare(int width, int height) {
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        size_t lit = 0;
        for (size_t p = 0; p < pixels.size(); p += 3) {
            if (pixels[p] > 8 || pixels[p + 1] > 8 || pixels[p + 2] > 8) {
                ++lit;
            }
        }
        return static_cast<double>(lit) / (static_cast<double>(width) * height);
    }

    /// Texture nodes in drawing order: sky, normal map, colour map.
    std::vector<k_JpegTexture*> textures() const {
        std::vector<k_JpegTexture*> found;
        collect(root, &found);
        return found;
    }

    k_SceneHost host;
    k_MainSceneNode* const root = host.getRoot();
    k_Scene* const scene = host.getScene();

private:
    static void collect(k_SceneNode* node, std::vector<k_JpegTexture*>* found) {
        if (k_JpegTexture* texture = dynamic_cast<k_JpegTexture*>(node)) {
            found->push_back(texture);
        }
        for (k_SceneNode* child : node->getChildren()) {
            collect(child, found);
        }
    }
};

inline bool isFinite(const k_Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

/// Every OpenGL error flag raised since the last call, cleared.
inline std::vector<GLenum> takeGlErrors() {
    std::vector<GLenum> errors;
    for (GLenum e = glGetError(); e != GL_NO_ERROR && errors.size() < 16; e = glGetError()) {
        errors.push_back(e);
    }
    return errors;
}

} // namespace reliability
