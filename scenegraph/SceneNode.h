#pragma once

#include <vector>

// Base of every node in the one scene tree. A node owns its children and draws them
// depth first in insertion order between its own beginRender() and endRender(), so nesting
// in the tree is nesting of OpenGL state. Adding a body (k_Artifact) with interest 0 or more
// registers it in artifactRegistry; emptying any node empties the whole registry.
class k_SceneNode {
public:
    k_SceneNode();
    /// Deletes the whole subtree, children first to last, and empties artifactRegistry.
    virtual ~k_SceneNode();

    /// Draws this node and its subtree: beginRender(), every child, endRender().
    virtual void render();
    /// Adopts `child`, which must have no parent yet; registers it if it is a body.
    virtual void addChild(k_SceneNode* child);
    /// Deletes all children first to last, then empties artifactRegistry completely.
    virtual void removeAllChildren();
    virtual const char* getTypeName() const = 0;

    k_SceneNode* getParent() const { return parent; }
    const std::vector<k_SceneNode*>& getChildren() const { return children; }

    k_SceneNode(const k_SceneNode&) = delete;
    k_SceneNode& operator=(const k_SceneNode&) = delete;

protected:
    virtual void beginRender() = 0;
    virtual void endRender() = 0;

private:
    k_SceneNode* parent;
    std::vector<k_SceneNode*> children;
};
