#pragma once

#include <vector>

class k_Artifact;

/// Every body added to the tree with interest 0 or more, in the order added; not owned.
/// Filled only by k_SceneNode::addChild and emptied only by k_SceneNode::removeAllChildren.
extern std::vector<k_Artifact*> artifactRegistry;
