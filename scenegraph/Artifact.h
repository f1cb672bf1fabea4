#pragma once

#include "scenegraph/GenericSceneNode.h"

// A body: a generic node that draws a shape of its own in its transformed frame and takes
// part in the planning queries as a bounding sphere (translation, getRadius()). Interest -1
// keeps it out of artifactRegistry, 0 makes it an obstacle, above 0 a candidate target.
// Set the interest before adding the body: registration is decided at that moment.
class k_Artifact : public k_GenericSceneNode {
public:
    k_Artifact();
    ~k_Artifact() override;
    const char* getTypeName() const override { return "Artifact"; }

    virtual void setInterest(int value);
    virtual int getInterest() const;
    /// Bounding radius in the parent's frame.
    virtual float getRadius() const = 0;

protected:
    /// The generic node's state, then the shape; children are drawn inside the transform.
    void beginRender() override;
    void endRender() override;
    /// Emits the body's geometry in its own frame.
    virtual void drawShape() = 0;

private:
    int interest;
};
