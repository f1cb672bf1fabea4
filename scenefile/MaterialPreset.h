#pragma once

#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/Vector4.h"

// A complete set of material colours for setMaterial, so the scenes name their materials
// instead of repeating four values at every body.
struct k_MaterialPreset {
    k_Vector4 ambient;
    k_Vector4 diffuse;
    k_Vector4 specular;
    float shininess;

    void applyTo(k_GenericSceneNode& node) const {
        node.setMaterial(ambient, diffuse, specular, shininess);
    }
};

/// The greenish, slightly glossy material of the target balls in Scenes 1 to 3.
inline const k_MaterialPreset bodyMaterial{k_Vector4(0.5f, 0.7f, 0.5f, 1.0f),
                                           k_Vector4(0.8f, 1.0f, 0.8f, 1.0f),
                                           k_Vector4(0.6f, 0.6f, 0.6f, 1.0f), 5.0f};

/// The reddish, dull material of the obstacle groups in Scenes 1 to 3.
inline const k_MaterialPreset obstacleMaterial{k_Vector4(0.6f, 0.4f, 0.4f, 1.0f),
                                               k_Vector4(0.9f, 0.7f, 0.7f, 1.0f),
                                               k_Vector4(0.2f, 0.2f, 0.2f, 1.0f), 1.0f};
