// Decodes a JPEG file once, at construction, into an RGB mipmapped texture; drawing binds it;
// deleting the node deletes the texture.
// GL state: the constructor leaves the unpack alignment at 1 and its unit active; beginRender()
// enables GL_TEXTURE_2D on the node's unit and sets uniforms of the nearest shader ancestor,
// endRender() disables texturing on the unit again. Uniform values are never restored.
#include "scenegraph/JpegTexture.h"

#include <GL/glew.h>

#include <cstdio>
#include <string>

#include <GL/glu.h>

#include "platform/RegularFile.h"
#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/GlContext.h"
#include "scenegraph/JpegDecoder.h"

k_JpegTexture::k_JpegTexture(const char* fileName, int unit) : textureUnit(unit), textureName(0) {
    std::string reason;
    std::FILE* file = openRegularFile(fileName, reason);
    if (file == nullptr) {
        std::fprintf(stderr, "can't open %s%s%s\n", fileName, reason.empty() ? "" : ": ",
                     reason.c_str());
        return;
    }
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    const k_JpegDecoder decoder(static_cast<unsigned int>(maxTextureSize > 0 ? maxTextureSize : 0),
                                k_JpegDecoder::defaultMaxBytes);
    k_JpegImage image;
    std::string error;
    const bool decoded = decoder.decode(file, fileName, &image, &error);
    std::fclose(file);
    if (!decoded) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }

    glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // The mipmap builder rescales sides that are not powers of two.
    const GLint built = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, static_cast<GLint>(image.width),
                                          static_cast<GLint>(image.height), GL_RGB,
                                          GL_UNSIGNED_BYTE, image.pixels.get());
    if (built != 0) {
        std::fprintf(stderr, "can't build the texture of %s: %s\n", fileName,
                     reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(built))));
    }
}

// Every scene load makes new texture nodes: their textures go with them, or reloading would
// grow the process without bound. Without a context (at exit) they go with the context.
k_JpegTexture::~k_JpegTexture() {
    if (textureName != 0 && isGlContextCurrent()) {
        glDeleteTextures(1, &textureName);
    }
}

void k_JpegTexture::beginRender() {
    const k_GenericSceneNode* shaderNode = nullptr;
    for (k_SceneNode* node = getParent(); node != nullptr && shaderNode == nullptr;
         node = node->getParent()) {
        const k_GenericSceneNode* generic = dynamic_cast<const k_GenericSceneNode*>(node);
        if (generic != nullptr && generic->getHasShader()) {
            shaderNode = generic;
        }
    }

    glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureName);

    if (shaderNode == nullptr) {
        return;
    }
    const char* sampler = nullptr;
    const char* flag = nullptr;
    if (textureUnit == 0) {
        sampler = "TextureAmbient";
        flag = "bAmbient";
    } else if (textureUnit == 1) {
        sampler = "TextureNormal";
        flag = "bNormal";
    } else {
        return;
    }
    // Locations are looked up by name on every draw; nothing is cached.
    const GLhandleARB program = shaderNode->getShaderProgram();
    glUniform1iARB(glGetUniformLocationARB(program, sampler), textureUnit);
    glUniform1iARB(glGetUniformLocationARB(program, flag), 1);
}

void k_JpegTexture::endRender() {
    glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
    glDisable(GL_TEXTURE_2D);
}
