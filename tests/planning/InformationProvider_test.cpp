#include <gtest/gtest.h>

#include <cmath>

#include "planning/InformationProvider.h"
#include "planning/PlanningTestScene.h"
#include "scenegraph/ArtifactRegistry.h"

namespace {
const k_Ray alongX(k_Vector3(0, 0, 0), k_Vector3(1, 0, 0), 10.0f);
}

class InformationProviderTest : public ::testing::Test {
protected:
    k_InformationProvider provider;
    k_TestScene scene;
};

TEST_F(InformationProviderTest, SamplesTheUnitSphereIn642Directions) {
    const std::vector<k_Vector3>& directions = provider.getSampleDirections();
    ASSERT_EQ(directions.size(), 642u);
    for (const k_Vector3& v : directions) {
        EXPECT_NEAR(v.length(), 1.0f, 1e-6f);
    }
    EXPECT_EQ(provider.getMaxDepth(), 4);
    // The sampler is never part of the scene.
    EXPECT_TRUE(artifactRegistry.empty());
}

TEST_F(InformationProviderTest, EmptyRegistryAnswersNoEverywhere) {
    k_TestBody loose(k_Vector3(0, 0, 0), 1.0f, 10);
    EXPECT_EQ(provider.getTarget(), nullptr);
    EXPECT_FALSE(provider.isInsideArtifact(k_Vector3(0, 0, 0), nullptr, 100.0));
    EXPECT_FALSE(provider.overlapsArtifact(&loose));
    EXPECT_FALSE(provider.isSegmentBlocked(alongX, nullptr));
}

TEST_F(InformationProviderTest, TargetIsGreatestPositiveInterestEarliestOnTie) {
    scene.add(k_Vector3(0, 0, 0), 1.0f, 0);
    EXPECT_EQ(provider.getTarget(), nullptr);

    k_TestBody* low = scene.add(k_Vector3(1, 0, 0), 1.0f, 30);
    EXPECT_EQ(provider.getTarget(), low);
    k_TestBody* high = scene.add(k_Vector3(2, 0, 0), 1.0f, 100);
    scene.add(k_Vector3(3, 0, 0), 1.0f, 100);
    EXPECT_EQ(provider.getTarget(), high);

    // Registered bodies whose interest dropped below zero later are never targets; null
    // entries are skipped.
    high->setInterest(-5);
    artifactRegistry.push_back(nullptr);
    EXPECT_NE(provider.getTarget(), high);
    EXPECT_EQ(provider.getTarget()->getInterest(), 100);
}

TEST_F(InformationProviderTest, InsideIsStrictWithMarginAddedInDouble) {
    k_TestBody* body = scene.add(k_Vector3(0, 0, 0), 1.0f);
    EXPECT_FALSE(provider.isInsideArtifact(k_Vector3(1.5f, 0, 0), nullptr, 0.5));
    EXPECT_TRUE(
        provider.isInsideArtifact(k_Vector3(std::nextafter(1.5f, 0.0f), 0, 0), nullptr, 0.5));
    // Radius plus margin is not rounded to float: 1.50000001 would become 1.5 and leave the
    // point at 1.5 outside.
    EXPECT_TRUE(provider.isInsideArtifact(k_Vector3(1.5f, 0, 0), nullptr, 0.50000001));
    // The ignored body never counts, even at its centre.
    EXPECT_FALSE(provider.isInsideArtifact(k_Vector3(0, 0, 0), body, 0.0));
}

TEST_F(InformationProviderTest, OverlapSkipsTheBodyItselfAndCountsTouching) {
    k_TestBody* a = scene.add(k_Vector3(0, 0, 0), 1.0f);
    EXPECT_FALSE(provider.overlapsArtifact(a));
    scene.add(k_Vector3(2, 0, 0), 1.0f);
    EXPECT_TRUE(provider.overlapsArtifact(a));
    EXPECT_FALSE(provider.overlapsArtifact(nullptr));
}

TEST_F(InformationProviderTest, SegmentTestsAddAClearanceOfHalfAUnit) {
    // 1.45 from the line: clear of the body itself, not of its sphere enlarged by 0.5 (but
    // clear of one enlarged by 0.4); 1.55: clear by 0.5, not by 0.6.
    k_TestBody* nearLine = scene.add(k_Vector3(5, 1.45f, 0), 1.0f);
    EXPECT_TRUE(provider.isSegmentBlocked(alongX, nullptr));
    EXPECT_FALSE(provider.isSegmentBlocked(alongX, nearLine));
    scene.add(k_Vector3(5, -1.55f, 0), 1.0f);
    EXPECT_FALSE(provider.isSegmentBlocked(alongX, nearLine));

    // The searches see the same clearance: around the near body, straight past the far one.
    for (k_SearchStrategy strategy : {k_SearchStrategy::reference, k_SearchStrategy::fast}) {
        provider.setStrategy(strategy);
        std::vector<k_Vector3> route{k_Vector3(10, 0, 0)};
        ASSERT_TRUE(provider.findPath(k_Vector3(0, 0, 0), k_Vector3(10, 0, 0), nullptr, route, 0));
        EXPECT_EQ(route.size(), 3u);
        route = {k_Vector3(10, 0, 0)};
        ASSERT_TRUE(provider.findPath(k_Vector3(0, 0, 0), k_Vector3(10, 0, 0), nearLine, route, 0));
        EXPECT_EQ(route.size(), 2u);
    }
}

TEST_F(InformationProviderTest, CountsSegmentAndSphereTestsUpToTheFirstHit) {
    k_TestBody* ignored = scene.add(k_Vector3(3, 0, 0), 1.0f);
    scene.add(k_Vector3(5, 9, 0), 1.0f);
    scene.add(k_Vector3(5, 0, 0), 1.0f);
    scene.add(k_Vector3(7, 0, 0), 1.0f); // never reached: the previous body blocks

    EXPECT_TRUE(provider.isSegmentBlocked(alongX, ignored));
    EXPECT_FALSE(
        provider.isSegmentBlocked(k_Ray(k_Vector3(0, 0, 0), k_Vector3(0, 0, 1), 1.0f), ignored));
    EXPECT_EQ(provider.getStats().segmentTests, 2u);
    EXPECT_EQ(provider.getStats().sphereTests, 2u + 3u);
    provider.resetStats();
    EXPECT_EQ(provider.getStats().segmentTests, 0u);
    EXPECT_EQ(provider.getStats().sphereTests, 0u);
}

// The provider keeps its directions without a node, so it can come and go around the bodies.
TEST(InformationProviderLifetime, DeletingAProviderLeavesTheBodyRegistryAsItWas) {
    k_TestScene scene;
    k_TestBody* first = scene.add(k_Vector3(0, 0, 0), 1.0f);
    k_TestBody* second = scene.add(k_Vector3(5, 0, 0), 2.0f, 3);
    const std::vector<k_Artifact*> before(artifactRegistry.begin(), artifactRegistry.end());
    {
        k_InformationProvider provider;
        EXPECT_EQ(provider.getTarget(), second);
    }
    const std::vector<k_Artifact*> after(artifactRegistry.begin(), artifactRegistry.end());
    EXPECT_EQ(after, before);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], first);
    // And a provider made after the bodies sees them.
    k_InformationProvider later;
    EXPECT_EQ(later.getTarget(), second);
}
