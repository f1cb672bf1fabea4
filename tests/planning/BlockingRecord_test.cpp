#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "planning/BlockingRecord.h"
#include "planning/InformationProvider.h"
#include "planning/PlanningTestScene.h"

TEST(BlockingRecord, NotesEachBodyOnceInTheOrderFoundAsTheSegmentTestsSawIt) {
    k_TestScene scene;
    k_TestBody* a = scene.add(k_Vector3(1, 2, 3), 1.0f);
    k_TestBody* b = scene.add(k_Vector3(-4, 0, 0), 2.5f);
    k_BlockingRecord record;
    record.segmentBlocked(b);
    record.segmentBlocked(nullptr);
    record.segmentBlocked(a);
    record.segmentBlocked(b);
    ASSERT_EQ(record.getSpheres().size(), 2u);
    EXPECT_TRUE(exactlyEqual(record.getSpheres()[0].center, b->getTranslation()));
    EXPECT_EQ(record.getSpheres()[0].radius, 3.0f); // enlarged by the segment clearance
    EXPECT_EQ(record.getSpheres()[1].radius, 1.5f);
    // Copies: still readable after the bodies are gone.
    scene.root.removeAllChildren();
    EXPECT_TRUE(exactlyEqual(record.getSpheres()[1].center, k_Vector3(1, 2, 3)));
    record.clear();
    EXPECT_TRUE(record.getSpheres().empty());
}

namespace {

struct k_CountingListener : k_BlockingListener {
    void segmentBlocked(const k_Artifact* body) override { bodies.push_back(body); }
    std::vector<const k_Artifact*> bodies;
};

} // namespace

TEST(BlockingRecord,
     ListenersHearTheFirstBodyInRegistryOrderFromEitherStrategyWithoutChangingAnything) {
    // Two bodies on the x axis, the farther registered first: a segment test names the first
    // in registry order that the segment hits, not the nearest.
    k_TestScene scene;
    k_TestBody* far = scene.add(k_Vector3(8, 0, 0), 1.0f);
    k_TestBody* near = scene.add(k_Vector3(4, 0, 0), 1.0f);
    const k_Ray alongX(k_Vector3(0, 0, 0), k_Vector3(1, 0, 0), 10.0f);
    // Both made up front: a provider's end empties the registry, like any scene node's.
    k_InformationProvider reference;
    k_InformationProvider fast;
    reference.setStrategy(k_SearchStrategy::reference);
    for (k_InformationProvider* strategy : {&reference, &fast}) {
        k_InformationProvider& provider = *strategy;
        std::vector<k_Vector3> quiet{k_Vector3(10, 0, 0)};
        ASSERT_TRUE(provider.findPath(k_Vector3(0, 0, 0), k_Vector3(10, 0, 0), nullptr, quiet, 0));
        const k_PlanningStats unheard = provider.getStats();

        k_CountingListener listener;
        provider.addBlockingListener(&listener);
        provider.addBlockingListener(&listener); // registered once
        provider.resetStats();
        std::vector<k_Vector3> heard{k_Vector3(10, 0, 0)};
        ASSERT_TRUE(provider.findPath(k_Vector3(0, 0, 0), k_Vector3(10, 0, 0), nullptr, heard, 0));
        EXPECT_TRUE(heard.size() == quiet.size() &&
                    std::equal(heard.begin(), heard.end(), quiet.begin(), exactlyEqual));
        EXPECT_EQ(provider.getStats().segmentTests, unheard.segmentTests);
        EXPECT_EQ(provider.getStats().sphereTests, unheard.sphereTests);
        ASSERT_FALSE(listener.bodies.empty());
        EXPECT_EQ(listener.bodies.front(), far); // the straight way: both hit, far listed first
        for (const k_Artifact* body : listener.bodies) {
            EXPECT_TRUE(body == far || body == near);
        }

        const std::size_t heardBefore = listener.bodies.size();
        provider.removeBlockingListener(&listener);
        EXPECT_TRUE(provider.isSegmentBlocked(alongX, nullptr));
        EXPECT_EQ(listener.bodies.size(), heardBefore);
    }
}
