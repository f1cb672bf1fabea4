#pragma once

#include <vector>

#include "math/Vector3.h"
#include "scenegraph/Artifact.h"

// A body drawn from an indexed triangle mesh of its own, flat shaded (one normal per
// triangle) through a display list compiled on the first draw. subdivide() refines every
// triangle into four, sharing the midpoints of shared edges by exact equality.
class k_PlatonicBody : public k_Artifact {
public:
    k_PlatonicBody();
    /// Deletes the compiled display list, if any, when a context is current.
    ~k_PlatonicBody() override;
    const char* getTypeName() const override { return "PlatonicBody"; }

    /// Length of the node's scale vector times radiusFactor.
    float getRadius() const override;
    void setRadiusFactor(float factor) { radiusFactor = factor; }
    float getRadiusFactor() const { return radiusFactor; }

    /// One refinement pass over all triangles.
    void subdivide();

    const std::vector<int>& getFaces() const { return faces; }
    const std::vector<k_Vector3>& getVertices() const { return vertices; }
    /// The compiled mesh's display list, -1 until the first draw.
    int getDisplayList() const { return displayList; }

protected:
    void drawShape() override;
    /// Fills the initial vertices and faces.
    virtual void buildMesh() = 0;

    std::vector<int> faces;
    std::vector<k_Vector3> vertices;

private:
    int displayList;
    float radiusFactor;
};
