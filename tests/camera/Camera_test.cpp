#include <gtest/gtest.h>

#include <memory>

#include "camera/Camera.h"

namespace {

void expectVector(const k_Vector3& actual, float x, float y, float z) {
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

} // namespace

TEST(Camera, NewCameraLooksDownTheNegativeZAxis) {
    // The arguments come as acceleration, look acceleration, top speed, stop distance.
    std::unique_ptr<k_Camera> camera(new k_Camera(75, 5, 300, 15));
    EXPECT_STREQ(camera->getTypeName(), "Camera");
    expectVector(camera->getPosition(), 0, 0, 0);
    expectVector(camera->getLookAt(), 0, 0, -1);
    expectVector(camera->getUp(), 0, 1, 0);
    expectVector(camera->getLookTarget(), 0, 0, -10);
    expectVector(camera->getVelocity(), 0, 0, 0);
    EXPECT_EQ(camera->getLookSpeed(), 0.0);
    EXPECT_EQ(camera->getAcceleration(), 75.0);
    EXPECT_EQ(camera->getLookAcceleration(), 5.0);
    EXPECT_EQ(camera->getMaxSpeed(), 300.0);
    EXPECT_EQ(camera->getStopDistance(), 15.0);

    camera->setAcceleration(10);
    camera->setMaxSpeed(20);
    camera->setStopDistance(30);
    EXPECT_EQ(camera->getAcceleration(), 10.0);
    EXPECT_EQ(camera->getMaxSpeed(), 20.0);
    EXPECT_EQ(camera->getStopDistance(), 30.0);
}

TEST(Camera, UpIsStoredNormalised) {
    k_Camera camera(1, 1, 1, 1);
    camera.setUp(k_Vector3(0, 10, 0));
    expectVector(camera.getUp(), 0, 1, 0);
    camera.setUp(k_Vector3(0, 0, 0));
    expectVector(camera.getUp(), 0, 0, 0);
    camera.setUp(k_Vector3(3, 0, 4));
    EXPECT_NEAR(camera.getUp().x, 0.6f, 1e-7f);
    EXPECT_NEAR(camera.getUp().z, 0.8f, 1e-7f);
}

TEST(Camera, NewPathKeepsTheCurrentSpeeds) {
    k_Camera camera(75, 5, 300, 15);
    for (int i = 0; i < 20; ++i) {
        camera.setPath(k_Vector3(10, 0, 0), k_Vector3(20, 0, 0), k_Vector3(100, 0, 0));
        camera.setLookTarget(k_Vector3(30, 0, 0));
        camera.update(0.02);
    }
    const k_Vector3 velocity = camera.getVelocity();
    const double lookSpeed = camera.getLookSpeed();
    ASSERT_GT(velocity.length(), 25.0f);
    ASSERT_GT(lookSpeed, 0.0);

    camera.setPath(k_Vector3(0, 50, 0), k_Vector3(0, 60, 0), k_Vector3(0, 500, 0));
    expectVector(camera.getVelocity(), velocity.x, velocity.y, velocity.z);
    EXPECT_EQ(camera.getLookSpeed(), lookSpeed);
    expectVector(camera.getWaypoint(), 0, 50, 0);
    expectVector(camera.getNextWaypoint(), 0, 60, 0);
    expectVector(camera.getGoal(), 0, 500, 0);
}

TEST(Camera, ResetPutsAMovingCameraAtRest) {
    k_Camera camera(75, 5, 300, 15);
    camera.setUp(k_Vector3(1, 1, 0));
    for (int i = 0; i < 30; ++i) {
        camera.setPath(k_Vector3(10, 5, 0), k_Vector3(20, 0, 3), k_Vector3(100, 0, 0));
        camera.setLookTarget(k_Vector3(-30, 0, 0));
        camera.update(0.02);
    }
    ASSERT_GT(camera.getVelocity().length(), 0.0f);

    camera.reset(k_Vector3(4, 5, 6), k_Vector3(7, 8, 9));
    expectVector(camera.getPosition(), 4, 5, 6);
    expectVector(camera.getWaypoint(), 4, 5, 6);
    expectVector(camera.getNextWaypoint(), 4, 5, 6);
    expectVector(camera.getLookAt(), 7, 8, 9);
    expectVector(camera.getLookTarget(), 7, 8, 9);
    expectVector(camera.getGoal(), 7, 8, 9);
    expectVector(camera.getVelocity(), 0, 0, 0);
    expectVector(camera.getUp(), 0, 1, 0);
    EXPECT_EQ(camera.getLookSpeed(), 0.0);
    EXPECT_EQ(camera.getAcceleration(), 75.0);
    EXPECT_EQ(camera.getLookAcceleration(), 5.0);
    EXPECT_EQ(camera.getMaxSpeed(), 300.0);
    EXPECT_EQ(camera.getStopDistance(), 15.0);
}
