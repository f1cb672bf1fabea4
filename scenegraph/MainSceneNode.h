#pragma once

#include <functional>

#include "scenegraph/SceneNode.h"

// The root of the tree: one render() of it is one whole frame. It clears colour and depth
// and loads the identity model-view matrix before the tree, and swaps buffers after it; an
// overlay, when set, is drawn between the tree and the swap.
class k_MainSceneNode : public k_SceneNode {
public:
    /// Configures sharedQuadric (texture coordinates, smooth normals); make the root before
    /// any sphere so every sphere display list is compiled with them.
    k_MainSceneNode();
    ~k_MainSceneNode() override;
    const char* getTypeName() const override { return "MainSceneNode"; }

    /// Drawn over every frame after the tree, before the swap (the plan, for instance); it
    /// must leave the GL state as it found it. An empty function (the default) draws nothing.
    void setOverlay(std::function<void()> draw) { overlay = std::move(draw); }
    /// Draws the overlay, if any; for callers that draw the tree's children themselves.
    void drawOverlay() const;
    /// The frame of render() without its final swap, so that the picture stays in the back
    /// buffer to be read (a read of the front buffer after the swap is black under Xvfb).
    void renderWithoutSwap();

protected:
    void beginRender() override;
    void endRender() override;

private:
    std::function<void()> overlay;
};
