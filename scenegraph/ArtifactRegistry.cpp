#include "scenegraph/ArtifactRegistry.h"

std::vector<k_Artifact*> artifactRegistry;
