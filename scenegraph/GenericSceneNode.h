#pragma once

#include <cstdint>

#include "math/Vector3.h"
#include "scenegraph/SceneNode.h"
#include "scenegraph/Vector4.h"

// A node that can carry light 0, a material, a shader program and a transform, each switched
// on for good by its setter. beginRender() applies them in the order light, material,
// program, transform; endRender() switches the light off, selects program 0 and pops the
// matrix. Material, the two-sided light model and uniforms are not restored, so a grouping
// node's material is inherited by whatever is drawn after it.
class k_GenericSceneNode : public k_SceneNode {
public:
    k_GenericSceneNode();
    /// Gives its program back to the shared cache, or deletes a program that did not link
    /// together with its shader objects when a context is current.
    ~k_GenericSceneNode() override;
    const char* getTypeName() const override { return "GenericSceneNode"; }

    void setLight(const k_Vector4& ambient, const k_Vector4& diffuse, const k_Vector4& specular,
                  const k_Vector4& position);
    void setMaterial(const k_Vector4& ambient, const k_Vector4& diffuse, const k_Vector4& specular,
                     float shininess);
    /// Reads both files and uses the program already linked from exactly these texts if there
    /// is one (k_ShaderProgramCache); otherwise builds it (fragment stage first, then vertex,
    /// then link) and keeps its handle whether or not it compiled, failures reported on
    /// standard output. A program that linked joins the cache. The program of an earlier call
    /// is given back first.
    void setShader(const char* vertexShaderFile, const char* fragmentShaderFile);
    void setTranslation(const k_Vector3& value);
    void setRotation(const k_Vector3& degreesAboutXYZ);
    void setScale(const k_Vector3& value);

    k_Vector3 getTranslation() const { return translation; }
    k_Vector3 getRotation() const { return rotation; }
    k_Vector3 getScale() const { return scale; }

    bool getHasShader() const { return hasShader; }
    unsigned int getShaderProgram() const { return shaderProgram; }
    unsigned int getVertexShader() const { return vertexShader; }
    unsigned int getFragmentShader() const { return fragmentShader; }
    bool getHasMaterial() const { return hasMaterial; }
    bool getHasLight() const { return hasLight; }
    bool getHasTranslation() const { return hasTranslation; }
    bool getHasRotation() const { return hasRotation; }
    bool getHasScale() const { return hasScale; }

protected:
    void beginRender() override;
    void endRender() override;

private:
    /// Gives the program back to the cache or, if it was never cached, detaches and deletes
    /// it and its shader objects: the one place that lets them go.
    void releaseShader();

    bool hasShader;
    unsigned int shaderProgram;
    bool hasMaterial;
    k_Vector4 materialAmbient;
    k_Vector4 materialDiffuse;
    k_Vector4 materialSpecular;
    float shininess;
    bool hasLight;
    k_Vector4 lightAmbient;
    k_Vector4 lightDiffuse;
    k_Vector4 lightSpecular;
    k_Vector4 lightPosition;
    bool hasTranslation;
    k_Vector3 translation;
    bool hasRotation;
    k_Vector3 rotation;
    bool hasScale;
    k_Vector3 scale;
    // The two stages the program was linked from, kept so that they can be deleted with it.
    unsigned int vertexShader;
    unsigned int fragmentShader;
    // The node's use of a cached program; 0 when the node owns a program that did not link.
    std::uint64_t cacheUse;
};
