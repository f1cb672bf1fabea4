#pragma once

#include "scenegraph/SceneNode.h"

// The root of the tree: one render() of it is one whole frame. It clears colour and depth
// and loads the identity model-view matrix before the tree, and swaps buffers after it.
class k_MainSceneNode : public k_SceneNode {
public:
    /// Configures sharedQuadric (texture coordinates, smooth normals); make the root before
    /// any sphere so every sphere display list is compiled with them.
    k_MainSceneNode();
    ~k_MainSceneNode() override;
    const char* getTypeName() const override { return "MainSceneNode"; }

protected:
    void beginRender() override;
    void endRender() override;
};
