// The four built-in scenes as data, for exporting them as scene files. Each follows its
// scene's recipe draw for draw; a test checks that the exported files give the built-in
// scenes' traces, so the two cannot drift apart unnoticed.
#include "scenefile/BuiltInSceneDescriptions.h"

#include "platform/Random.h"
#include "scenefile/MaterialPreset.h"
#include "scenefile/RandomDraw.h"

namespace {

constexpr int bodyPreset = 0;
constexpr int obstaclePreset = 1;
// The generator's state before anything is drawn, as at start-up.
constexpr unsigned int startUpSeed = 1;

k_AnimationDescription rotate(const k_Vector3& rate) {
    k_AnimationDescription animation;
    animation.kind = k_AnimationDescription::Kind::rotate;
    animation.rate = rate;
    return animation;
}

k_AnimationDescription move(const k_Vector3& velocity) {
    k_AnimationDescription animation;
    animation.kind = k_AnimationDescription::Kind::move;
    animation.rate = velocity;
    return animation;
}

k_AnimationDescription swing(const k_Vector3& velocity, const k_Vector3& amplitude, double period,
                             bool bounce) {
    k_AnimationDescription animation;
    animation.kind = k_AnimationDescription::Kind::swing;
    animation.rate = velocity;
    animation.amplitude = amplitude;
    animation.period = period;
    animation.bounce = bounce;
    return animation;
}

k_BodyDescription sphere(int slices, int stacks, const k_Vector3& position, int interest) {
    k_BodyDescription body;
    body.slices = slices;
    body.stacks = stacks;
    body.position = position;
    body.interest = interest;
    return body;
}

k_RangeDescription drawn(double low, double high) {
    k_RangeDescription range;
    range.drawn = true;
    range.low = low;
    range.high = high;
    return range;
}

k_VectorRangeDescription drawnOnEachAxis(double low, double high) {
    k_VectorRangeDescription range;
    range.x = range.y = range.z = drawn(low, high);
    return range;
}

k_SceneDescription skeleton(double acceleration, double lookAcceleration, double maxSpeed,
                            double stopDistance, const k_Vector3& position, bool hasUp,
                            const k_Vector3& lookAt, const char* skyImage, float skyRadius,
                            const k_Vector3& light) {
    k_SceneDescription scene;
    scene.acceleration = acceleration;
    scene.lookAcceleration = lookAcceleration;
    scene.maxSpeed = maxSpeed;
    scene.stopDistance = stopDistance;
    scene.position = position;
    scene.hasUp = hasUp;
    scene.up = k_Vector3(0.0f, 1.0f, 0.0f);
    scene.lookAt = lookAt;
    scene.skyImage = skyImage;
    scene.skyRadius = skyRadius;
    scene.lightDirection = light;
    for (const k_MaterialPreset* preset : {&bodyMaterial, &obstacleMaterial}) {
        scene.materials.push_back(
            {preset->ambient, preset->diffuse, preset->specular, preset->shininess});
    }
    scene.materialNames = {"body", "obstacle"};
    return scene;
}

void leaveGenerator(k_SceneDescription& scene, unsigned int seed, std::uint64_t draws) {
    scene.hasGeneratorAfterLoad = true;
    scene.generatorSeed = seed;
    scene.generatorDraws = draws;
}

k_SceneDescription scene1() {
    k_SceneDescription scene =
        skeleton(75.0, 5.0, 300.0, 15.0, k_Vector3(50.0f, 0.0f, -75.0f), true,
                 k_Vector3(0.0f, 10.0f, 0.0f), "skydome.jpg", 500.0f, k_Vector3(0.0f, 0.0f, -1.0f));
    k_BodyDescription ball = sphere(24, 24, k_Vector3(0.0f, 0.0f, -75.0f), 100);
    ball.material = bodyPreset;
    ball.animations.push_back(rotate(drawVector(-30.0, 60.0)));
    ball.animations.push_back(move(k_Vector3(0.0f, 0.0f, 2.0f)));
    scene.bodies.push_back(ball);

    k_GroupDescription group;
    group.material = obstaclePreset;
    randomSeed(1);
    std::uint64_t draws = 0;
    for (int z = -20; z < 480; z += 5) {
        const float y = drawQuantity(-1.5, 3.0);
        const float x = drawQuantity(-1.5, 3.0);
        k_BodyDescription obstacle = sphere(4, 3, k_Vector3(x, y, static_cast<float>(z)), 0);
        obstacle.animations.push_back(rotate(drawVector(-130.0, 260.0)));
        obstacle.animations.push_back(move(k_Vector3(0.0f, 0.0f, -5.0f)));
        group.bodies.push_back(obstacle);
        draws += 5;
    }
    scene.groups.push_back(group);
    leaveGenerator(scene, 1, draws);
    return scene;
}

k_SceneDescription scene2() {
    k_SceneDescription scene = skeleton(15.0, 5.0, 25.0, 7.0, k_Vector3(150.0f, 1.0f, 0.0f), false,
                                        k_Vector3(123.0f, 1.0f, 0.0f), "skydome.jpg", 500.0f,
                                        k_Vector3(-1.0f, 0.0f, 1.0f));
    k_BodyDescription ball = sphere(24, 24, k_Vector3(124.0f, 1.0f, 0.0f), 100);
    ball.material = bodyPreset;
    ball.animations.push_back(
        swing(k_Vector3(-4.0f, 0.0f, 0.0f), k_Vector3(0.0f, 0.0f, 6.0f), 2.0, false));
    scene.bodies.push_back(ball);

    k_GroupDescription group;
    group.material = obstaclePreset;
    std::uint64_t draws = 0;
    const double radiusSpan = static_cast<double>(0.3f);
    for (int x = -80; x <= 80; x += 8) {
        for (int y = -10; y < 10; ++y) {
            k_BodyDescription wallSphere =
                sphere(4, 3, k_Vector3(static_cast<float>(x), static_cast<float>(y), 0.0f), 0);
            wallSphere.hasRadius = true;
            wallSphere.radius = drawQuantity(0.5, radiusSpan);
            wallSphere.animations.push_back(rotate(drawVector(-130.0, 260.0)));
            group.bodies.push_back(wallSphere);
            draws += 4;
        }
    }
    scene.groups.push_back(group);
    leaveGenerator(scene, startUpSeed, draws);
    return scene;
}

k_SceneDescription scene3() {
    k_SceneDescription scene =
        skeleton(5.0, 5.0, 30.0, 10.0, k_Vector3(0.0f, 0.0f, 10.0f), false,
                 k_Vector3(0.0f, 0.0f, 9.0f), "skydome.jpg", 500.0f, k_Vector3(-1.0f, 0.0f, 1.0f));
    k_BodyDescription bouncingBall = sphere(24, 24, k_Vector3(0.0f, 0.0f, 0.0f), 100);
    bouncingBall.material = bodyPreset;
    bouncingBall.interestFromHeight = true;
    bouncingBall.animations.push_back(
        swing(k_Vector3(0.0f, 0.0f, 0.0f), k_Vector3(0.0f, 10.0f, 0.0f), 8.0, true));
    scene.bodies.push_back(bouncingBall);

    k_BodyDescription secondBall = sphere(24, 24, k_Vector3(15.0f, 0.0f, 5.0f), 30);
    secondBall.material = bodyPreset;
    secondBall.animations.push_back(rotate(drawVector(-30.0, 60.0)));
    scene.bodies.push_back(secondBall);

    k_GroupDescription group;
    group.material = obstaclePreset;
    k_BodyDescription obstacle = sphere(4, 3, k_Vector3(0.0f, -1.5f, 0.0f), 0);
    obstacle.hasRotation = true;
    obstacle.rotation = k_Vector3(0.0f, 0.0f, 45.0f);
    group.bodies.push_back(obstacle);
    scene.groups.push_back(group);
    leaveGenerator(scene, startUpSeed, 3);
    return scene;
}

k_SceneDescription scene4(long swarm) {
    k_SceneDescription scene =
        skeleton(75.0, 5.0, 125.0, 10.0, k_Vector3(0.0f, -50.0f, -620.0f), true,
                 k_Vector3(0.0f, 0.0f, 0.0f), "skydome1.jpg", 850.0f, k_Vector3(0.0f, 0.0f, -1.0f));
    scene.materials.push_back({k_Vector4(0.4f, 0.7f, 0.2f, 1.0f), k_Vector4(0.2f, 0.4f, 0.7f, 1.0f),
                               k_Vector4(0.7f, 0.4f, 0.2f, 1.0f), 5.0f});
    scene.materialNames.push_back("ball");
    scene.materials.push_back({k_Vector4(0.6f, 0.3f, 0.0f, 1.0f), k_Vector4(0.9f, 0.4f, 0.1f, 1.0f),
                               k_Vector4(0.5f, 0.4f, 0.2f, 1.0f), 1.0f});
    scene.materialNames.push_back("swarm");

    const k_Vector3 still(0.0f, 0.0f, 0.0f);
    k_BodyDescription ball = sphere(24, 24, still, 100);
    ball.material = 2;
    ball.animations.push_back(rotate(drawVector(-30.0, 60.0)));
    ball.animations.push_back(swing(still, k_Vector3(20.0f, 0.0f, 0.0f), 10.0, false));
    ball.animations.push_back(swing(still, k_Vector3(0.0f, 0.0f, 20.0f), 20.0, false));
    ball.animations.push_back(swing(still, k_Vector3(0.0f, 5.0f, 0.0f), 5.0, false));
    scene.bodies.push_back(ball);

    // The swarm as the generated group it is: the loader draws it exactly as Scene 4 does.
    k_GroupDescription group;
    group.material = 3;
    group.hasGenerator = true;
    k_GeneratorDescription& generator = group.generator;
    generator.count = swarm;
    generator.hasSeed = true;
    generator.seed = 2;
    generator.slices = 4;
    generator.stacks = 3;
    generator.hasRadius = true;
    generator.radius = drawn(1.0, 3.0);
    generator.position = drawnOnEachAxis(-15.0, 15.0);
    generator.hasRotate = true;
    generator.rotate = drawnOnEachAxis(-130.0, 130.0);
    generator.swings = 3;
    generator.period = drawn(12.0, 24.0);
    generator.amplitude = drawnOnEachAxis(-20.0, 20.0);
    scene.groups.push_back(group);
    // Where the built-in load leaves the generator: reseeded with 2, then 20 draws a body.
    randomSeed(2);
    for (long i = 0; i < 20 * swarm; ++i) {
        randomNext();
    }
    return scene;
}

} // namespace

k_SceneDescription describeBuiltInScene(int number, long swarm) {
    randomSeed(startUpSeed);
    switch (number) {
    case 1:
        return scene1();
    case 2:
        return scene2();
    case 3:
        return scene3();
    default:
        return scene4(swarm > 0 ? swarm : 100);
    }
}
