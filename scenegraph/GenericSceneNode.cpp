#include "scenegraph/GenericSceneNode.h"

#include <GL/glew.h>

#include "scenegraph/GlContext.h"
#include "scenegraph/ShaderProgramCache.h"
#include "scenegraph/ShaderUtils.h"

k_GenericSceneNode::k_GenericSceneNode()
    : hasShader(false), shaderProgram(0), hasMaterial(false), shininess(0.0f), hasLight(false),
      hasTranslation(false), hasRotation(false), hasScale(false), vertexShader(0),
      fragmentShader(0), cacheUse(0) {}

k_GenericSceneNode::~k_GenericSceneNode() {
    releaseShader();
}

void k_GenericSceneNode::releaseShader() {
    if (cacheUse != 0) {
        k_ShaderProgramCache::instance().release(cacheUse);
    } else {
        // A program that did not link is built anew at every load: without this, flipping
        // between scenes would grow the process without bound. Without a context (at exit)
        // the objects go with it.
        if (shaderProgram == 0 || !isGlContextCurrent()) {
            return;
        }
        deleteProgramAndShaders(shaderProgram, vertexShader, fragmentShader);
    }
    cacheUse = 0;
    shaderProgram = 0;
    vertexShader = 0;
    fragmentShader = 0;
}

void k_GenericSceneNode::setLight(const k_Vector4& ambient, const k_Vector4& diffuse,
                                  const k_Vector4& specular, const k_Vector4& position) {
    lightAmbient = ambient;
    lightDiffuse = diffuse;
    lightSpecular = specular;
    lightPosition = position;
    hasLight = true;
}

void k_GenericSceneNode::setMaterial(const k_Vector4& ambient, const k_Vector4& diffuse,
                                     const k_Vector4& specular, float shininessValue) {
    materialAmbient = ambient;
    materialDiffuse = diffuse;
    materialSpecular = specular;
    shininess = shininessValue;
    hasMaterial = true;
}

void k_GenericSceneNode::setShader(const char* vertexShaderFile, const char* fragmentShaderFile) {
    releaseShader();
    // Read at every call, so that an edited file takes effect at the next load.
    char* fragmentText = readTextFile(fragmentShaderFile);
    char* vertexText = readTextFile(vertexShaderFile);
    k_ShaderProgramCache& cache = k_ShaderProgramCache::instance();
    k_ShaderProgramCache::Program cached = {0, 0, 0};
    cacheUse = cache.acquire(vertexText, fragmentText, &cached);
    if (cacheUse != 0) {
        shaderProgram = cached.program;
        vertexShader = cached.vertexShader;
        fragmentShader = cached.fragmentShader;
    } else {
        fragmentShader = compileFragmentShaderText(fragmentText, fragmentShaderFile);
        vertexShader = compileVertexShaderText(vertexText, vertexShaderFile);
        shaderProgram = linkProgram(vertexShader, fragmentShader);
        if (vertexText != nullptr && fragmentText != nullptr && isProgramLinked(shaderProgram)) {
            cacheUse = cache.adopt(vertexText, fragmentText,
                                   {shaderProgram, vertexShader, fragmentShader});
        }
    }
    delete[] fragmentText;
    delete[] vertexText;
    hasShader = true;
}

void k_GenericSceneNode::setTranslation(const k_Vector3& value) {
    translation = value;
    hasTranslation = true;
}

void k_GenericSceneNode::setRotation(const k_Vector3& degreesAboutXYZ) {
    rotation = degreesAboutXYZ;
    hasRotation = true;
}

void k_GenericSceneNode::setScale(const k_Vector3& value) {
    scale = value;
    hasScale = true;
}

void k_GenericSceneNode::beginRender() {
    // The light goes on before this node's transform, so its position is taken in the
    // parent's frame.
    if (hasLight) {
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
        glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
        glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient.data());
        glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse.data());
        glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular.data());
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition.data());
    }
    if (hasMaterial) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient.data());
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse.data());
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular.data());
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    }
    if (hasShader) {
        useProgram(shaderProgram);
    }
    if (hasTranslation || hasRotation || hasScale) {
        glPushMatrix();
    }
    if (hasTranslation) {
        glTranslatef(translation.x, translation.y, translation.z);
    }
    // Geometry is scaled first, then turned about z, y, x, then translated.
    if (hasRotation) {
        glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
        glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
        glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    }
    if (hasScale) {
        glScaled(static_cast<double>(scale.x), static_cast<double>(scale.y),
                 static_cast<double>(scale.z));
    }
}

void k_GenericSceneNode::endRender() {
    if (hasLight) {
        glDisable(GL_LIGHT0);
        glDisable(GL_LIGHTING);
    }
    if (hasShader) {
        useProgram(0);
    }
    if (hasTranslation || hasRotation || hasScale) {
        glPopMatrix();
    }
}
