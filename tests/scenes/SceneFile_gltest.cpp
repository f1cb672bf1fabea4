// Worlds built from scene files: every kind of element of a hand-written file becomes the
// bodies and animations it states, and an exported built-in scene builds exactly what the
// built-in scene builds, down to the generator's state.
#include <cstdio>
#include <map>
#include <string>

#include "animation/MoveAnimation.h"
#include "animation/RotationAnimation.h"
#include "animation/SnakeMoveAnimation.h"
#include "scenefile/BuiltInSceneDescriptions.h"
#include "scenefile/RandomDraw.h"
#include "scenefile/SceneFileReader.h"
#include "scenefile/SceneFileWriter.h"
#include "tests/scenes/SceneTestSupport.h"

namespace {

std::string bits(const k_Vector3& v) {
    char text[96];
    std::snprintf(text, sizeof text, "(%a %a %a)", v.x, v.y, v.z);
    return text;
}

class SceneFileTest : public SceneTest {
protected:
    k_SceneDescription parse(const std::string& text) {
        k_SceneDescription description;
        std::string error;
        EXPECT_TRUE(
            k_SceneFileReader::parse(text.data(), text.size(), "test.json", description, error))
            << error;
        return description;
    }

    // Everything a run depends on, in order: camera, tree below the colour map, registry,
    // animations with their targets, the height body and the generator's next value.
    std::string fingerprint() {
        std::string out;
        const k_Camera* camera = scene.getCamera();
        char text[160];
        std::snprintf(text, sizeof text, "camera %a %a %a %a ", camera->getAcceleration(),
                      camera->getLookAcceleration(), camera->getMaxSpeed(),
                      camera->getStopDistance());
        out += text + bits(camera->getPosition()) + bits(camera->getLookAt()) +
               bits(camera->getUp()) + "\n";
        std::map<const k_SceneNode*, int> index;
        describeChildren(colourMap(), out, index);
        out += "registry";
        for (const k_Artifact* artifact : artifactRegistry) {
            out += " " + std::to_string(index.count(artifact) ? index[artifact] : -1);
        }
        out += "\n";
        for (const k_Animation* animation : animations()) {
            out += std::to_string(index[animation->getTarget()]) + " ";
            if (auto* rotation = dynamic_cast<const k_RotationAnimation*>(animation)) {
                out += "rotate " + bits(rotation->getAngularVelocity());
            } else if (auto* move = dynamic_cast<const k_MoveAnimation*>(animation)) {
                out += "move " + bits(move->getVelocity());
            } else if (auto* snake = dynamic_cast<const k_SnakeMoveAnimation*>(animation)) {
                std::snprintf(text, sizeof text, "swing %a %d ", snake->getPeriod(),
                              snake->isAbsoluteSine() ? 1 : 0);
                out += text + bits(snake->getVelocity()) + bits(snake->getAmplitude());
            }
            out += "\n";
        }
        const k_Artifact* height = scene.getHeightArtifact();
        out += "height " + std::to_string(height ? index[height] : -1) + " next " +
               std::to_string(randomNext()) + "\n";
        return out;
    }

private:
    void describeChildren(const k_SceneNode* parent, std::string& out,
                          std::map<const k_SceneNode*, int>& index) {
        for (const k_SceneNode* child : parent->getChildren()) {
            const int number = static_cast<int>(index.size());
            index[child] = number;
            out += std::to_string(number) + " " + child->getTypeName();
            if (auto* node = dynamic_cast<const k_GenericSceneNode*>(child)) {
                out += " material " + std::to_string(node->getHasMaterial()) + " at " +
                       bits(node->getTranslation()) + " turned " +
                       std::to_string(node->getHasRotation()) + bits(node->getRotation()) +
                       " scaled " + std::to_string(node->getHasScale()) + bits(node->getScale());
            }
            if (auto* sphere = dynamic_cast<const k_Sphere*>(child)) {
                char text[64];
                std::snprintf(text, sizeof text, " sphere %d %d %a interest %d",
                              sphere->getSlices(), sphere->getStacks(), sphere->getRadius(),
                              sphere->getInterest());
                out += text;
            }
            out += "\n";
            describeChildren(child, out, index);
        }
    }
};

const char* const everyElement = R"({
  "format": "veltrava-scene", "version": 1,
  "camera": {"acceleration": 20, "lookAcceleration": 4, "maxSpeed": 30, "stopDistance": 6,
             "position": [0, 5, 40], "up": [0, 0, 1], "lookAt": [0, 0, 0]},
  "sky": {"image": "skydome1.jpg", "radius": 700},
  "light": {"direction": [1, -1, 0]},
  "materials": {"gold": {"ambient": [0.6, 0.5, 0.1], "diffuse": [1, 0.8, 0.2, 0.5],
                         "specular": [1, 1, 1], "shininess": 40}},
  "bodies": [
    {"interest": 100, "interestFromHeight": true, "material": "body",
     "animations": [{"swing": {"amplitude": [0, 10, 0], "period": 8, "bounce": true}},
                    {"rotate": [0, 45, 0]}]},
    {"slices": 12, "stacks": 6, "radius": 2.5, "position": [10, 0, 0], "rotation": [0, 0, 30],
     "interest": 30, "material": "gold",
     "animations": [{"move": [0, 0, -1]},
                    {"swing": {"amplitude": [3, 0, 0], "period": 2, "velocity": [1, 0, 0]}}]}
  ],
  "groups": [
    {"material": {"ambient": [0.1, 0.1, 0.1], "diffuse": [0.5, 0.5, 0.5],
                  "specular": [0, 0, 0], "shininess": 1},
     "bodies": [{"slices": 4, "stacks": 3, "position": [0, -3, 0]}],
     "generate": {"count": 3, "seed": 7, "slices": 4, "stacks": 3, "radius": [0.5, 1.5],
                  "position": [[-10, 10], 2, [0, 100]], "rotate": [-90, 90], "move": [0, 0, 5],
                  "swings": 2, "period": [4, 8], "amplitude": [[-1, 1], 0, 0]}}
  ],
  "generatorAfterLoad": {"seed": 11, "draws": 3}
})";

} // namespace

TEST_F(SceneFileTest, EveryKindOfElementBuildsWhatTheFileStates) {
    scene.loadDescription(parse(everyElement), "every element");
    const k_Camera* camera = scene.getCamera();
    EXPECT_EQ(camera->getAcceleration(), 20.0);
    EXPECT_EQ(camera->getMaxSpeed(), 30.0);
    EXPECT_EQ(camera->getStopDistance(), 6.0);
    EXPECT_VECTOR_EQ(camera->getPosition(), 0, 5, 40);
    EXPECT_VECTOR_EQ(camera->getUp(), 0, 0, 1);
    EXPECT_FLOAT_EQ(scene.getSkyNode()->getRadius(), 700.0f);
    EXPECT_EQ(scene.getSceneName(), "every element");

    // Two bodies, then the group with its written body and its three generated ones.
    ASSERT_EQ(bodies().size(), 3u);
    auto* bouncing = dynamic_cast<k_Sphere*>(bodies()[0]);
    auto* gold = dynamic_cast<k_Sphere*>(bodies()[1]);
    ASSERT_NE(bouncing, nullptr);
    ASSERT_NE(gold, nullptr);
    EXPECT_EQ(scene.getHeightArtifact(), bouncing);
    EXPECT_EQ(bouncing->getSlices(), 24);
    EXPECT_EQ(bouncing->getRadius(), 1.0f);
    EXPECT_FALSE(bouncing->getHasRotation());
    EXPECT_TRUE(bouncing->getHasMaterial());
    EXPECT_EQ(gold->getSlices(), 12);
    EXPECT_EQ(gold->getStacks(), 6);
    EXPECT_EQ(gold->getRadius(), 2.5f);
    EXPECT_EQ(gold->getInterest(), 30);
    EXPECT_VECTOR_EQ(gold->getTranslation(), 10, 0, 0);
    EXPECT_VECTOR_EQ(gold->getRotation(), 0, 0, 30);
    const auto* group = dynamic_cast<k_GenericSceneNode*>(bodies()[2]);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->getHasMaterial());
    const std::vector<k_Sphere*> members = obstacles();
    ASSERT_EQ(members.size(), 4u);
    EXPECT_VECTOR_EQ(members[0]->getTranslation(), 0, -3, 0);
    EXPECT_FALSE(members[0]->getHasMaterial()); // inherits the group's

    // Registry: both balls, then every member, in order; the sky is never registered.
    ASSERT_EQ(artifactRegistry.size(), 6u);
    EXPECT_EQ(artifactRegistry[0], bouncing);
    EXPECT_EQ(artifactRegistry[1], gold);
    EXPECT_EQ(artifactRegistry[5], members[3]);

    // Animations in file order, then per generated body: rotate, move, two swings.
    ASSERT_EQ(animations().size(), 4u + 3u * 4u);
    auto* bounce = dynamic_cast<const k_SnakeMoveAnimation*>(animations()[0]);
    ASSERT_NE(bounce, nullptr);
    EXPECT_TRUE(bounce->isAbsoluteSine());
    EXPECT_EQ(bounce->getPeriod(), 8.0);
    EXPECT_VECTOR_EQ(bounce->getAmplitude(), 0, 10, 0);
    EXPECT_NE(dynamic_cast<const k_RotationAnimation*>(animations()[1]), nullptr);
    auto* drift = dynamic_cast<const k_MoveAnimation*>(animations()[2]);
    ASSERT_NE(drift, nullptr);
    EXPECT_EQ(drift->getTarget(), gold);
    auto* swing = dynamic_cast<const k_SnakeMoveAnimation*>(animations()[3]);
    ASSERT_NE(swing, nullptr);
    EXPECT_FALSE(swing->isAbsoluteSine());
    EXPECT_VECTOR_EQ(swing->getVelocity(), 1, 0, 0);

    // The generated bodies replay the generator from seed 7: radius, position (z, y, x;
    // y fixed draws nothing), rotate; move is fixed; then period and amplitude x per swing.
    randomSeed(7);
    for (int i = 1; i < 4; ++i) {
        const k_Sphere* body = members[static_cast<std::size_t>(i)];
        EXPECT_EQ(body->getRadius(), drawQuantity(0.5, 1.0));
        const float z = drawQuantity(0.0, 100.0);
        const float x = drawQuantity(-10.0, 20.0);
        EXPECT_VECTOR_EQ(body->getTranslation(), x, 2, z);
        const std::size_t first = 4 + 4 * static_cast<std::size_t>(i - 1);
        auto* rotate = dynamic_cast<const k_RotationAnimation*>(animations()[first]);
        ASSERT_NE(rotate, nullptr);
        EXPECT_EQ(rotate->getTarget(), body);
        const k_Vector3 rates = drawVector(-90.0, 180.0);
        EXPECT_VECTOR_EQ(rotate->getAngularVelocity(), rates.x, rates.y, rates.z);
        auto* move = dynamic_cast<const k_MoveAnimation*>(animations()[first + 1]);
        ASSERT_NE(move, nullptr);
        EXPECT_VECTOR_EQ(move->getVelocity(), 0, 0, 5);
        for (std::size_t s = 0; s < 2; ++s) {
            auto* generated =
                dynamic_cast<const k_SnakeMoveAnimation*>(animations()[first + 2 + s]);
            ASSERT_NE(generated, nullptr);
            EXPECT_EQ(generated->getPeriod(), static_cast<double>(drawQuantity(4.0, 4.0)));
            EXPECT_VECTOR_EQ(generated->getAmplitude(), drawQuantity(-1.0, 2.0), 0, 0);
        }
    }

    // And the generator is left where the file says, for the planner's draws.
    randomSeed(11);
    for (int i = 0; i < 3; ++i) {
        randomNext();
    }
    const int expected = randomNext();
    scene.loadDescription(parse(everyElement), "every element");
    EXPECT_EQ(randomNext(), expected);
}

TEST_F(SceneFileTest, ExportedBuiltInScenesBuildWhatTheBuiltInScenesBuild) {
    for (int number = 1; number <= 4; ++number) {
        // Both as the first scene after start-up.
        randomSeed(1);
        load(number);
        const std::string builtIn = fingerprint();
        const std::string text = k_SceneFileWriter::write(describeBuiltInScene(number, 0));
        const k_SceneDescription description = parse(text);
        randomSeed(1);
        scene.loadDescription(description, "exported");
        EXPECT_EQ(fingerprint(), builtIn) << "scene " << number;
    }
    // Scene 4 with a larger swarm, drawn by the file's generated group.
    randomSeed(1);
    scene.loadSwarmScene(1000);
    const std::string builtIn = fingerprint();
    const std::string text = k_SceneFileWriter::write(describeBuiltInScene(4, 1000));
    randomSeed(1);
    scene.loadDescription(parse(text), "exported");
    EXPECT_EQ(fingerprint(), builtIn);
}
