#pragma once

#include "scenegraph/SceneNode.h"

// Puts a texture decoded from a JPEG file on one texture unit for the duration of its
// subtree. Inside a node with a shader program it also sets that program's sampler and flag
// uniforms for its unit (unit 0: colour map, unit 1: normal map). The file is decoded and
// uploaded once, by the constructor, which needs a current context with GLEW initialised.
class k_JpegTexture : public k_SceneNode {
public:
    k_JpegTexture(const char* fileName, int textureUnit);
    /// Deletes the texture when a context is current.
    ~k_JpegTexture() override;
    const char* getTypeName() const override { return "JpegTexture"; }

    int getTextureUnit() const { return textureUnit; }
    /// 0 when the file could not be loaded.
    unsigned int getTextureName() const { return textureName; }

protected:
    void beginRender() override;
    void endRender() override;

private:
    int textureUnit;
    unsigned int textureName;
};
