#include <gtest/gtest.h>

#include <vector>

#include "animation/Animation.h"
#include "animation/AnimationManager.h"
#include "scenegraph/GenericSceneNode.h"

TEST(AnimationManager, EmptyManagerUpdatesAndClearsQuietly) {
    k_AnimationManager manager;
    manager.update(0.02);
    manager.clear();
    EXPECT_TRUE(manager.getAnimations().empty());
}

TEST(AnimationManager, AddedAnimationsAreOwnedStartedAndKeptInOrder) {
    k_GenericSceneNode node;
    k_AnimationManager manager;
    k_Animation* spin = manager.addRotationAnimation(k_Vector3(0, 90, 0), &node);
    k_Animation* move = manager.addMoveAnimation(k_Vector3(2, 0, 0), &node);
    k_Animation* snake =
        manager.addSnakeMoveAnimation(k_Vector3(0, 0, 1), k_Vector3(0, 4, 0), 2.0, &node, true);
    ASSERT_EQ(manager.getAnimations().size(), 3u);
    EXPECT_EQ(manager.getAnimations()[0], spin);
    EXPECT_EQ(manager.getAnimations()[1], move);
    EXPECT_EQ(manager.getAnimations()[2], snake);
    for (k_Animation* animation : manager.getAnimations()) {
        EXPECT_TRUE(animation->isEnabled());
        EXPECT_EQ(animation->getTarget(), &node);
    }

    // One update applies all three to the same node.
    manager.update(1.0);
    EXPECT_EQ(node.getRotation().y, 90.0f);
    EXPECT_EQ(node.getTranslation().x, 2.0f);
    EXPECT_EQ(node.getTranslation().z, 1.0f);
    EXPECT_NEAR(node.getTranslation().y, 4.0f, 1e-6f);

    // A paused animation stays in the list and is skipped.
    move->stop();
    manager.update(1.0);
    EXPECT_EQ(node.getTranslation().x, 2.0f);
    EXPECT_EQ(node.getRotation().y, 180.0f);
}

TEST(AnimationManager, ClearedManagerNeverTouchesDeletedNodes) {
    // The scene controller deletes the nodes before it clears the animations; under the
    // address sanitizer any touch of a freed node here would fail the test.
    k_AnimationManager manager;
    auto* node = new k_GenericSceneNode;
    manager.addMoveAnimation(k_Vector3(1, 0, 0), node);
    manager.addSnakeMoveAnimation(k_Vector3(), k_Vector3(1, 1, 1), 3.0, node, false);
    manager.update(0.02);
    delete node;
    manager.clear();
    EXPECT_TRUE(manager.getAnimations().empty());
    manager.update(0.02);

    // The manager can be refilled after a clear, and its destructor frees what is left.
    k_GenericSceneNode survivor;
    manager.addRotationAnimation(k_Vector3(1, 0, 0), &survivor);
    manager.update(2.0);
    EXPECT_EQ(survivor.getRotation().x, 2.0f);
}

namespace {

// Notes its number in `ended` as it is deleted; once, if asked, it hands the manager a
// successor from its destructor.
class k_NotingAnimation : public k_Animation {
public:
    k_NotingAnimation(int numberValue, std::vector<int>& endedValue)
        : k_Animation(nullptr), number(numberValue), ended(endedValue) {}
    ~k_NotingAnimation() override {
        ended.push_back(number);
        if (successorOf != nullptr) {
            successorOf->adopt(new k_NotingAnimation(number * 10, ended));
        }
    }
    k_AnimationManager* successorOf = nullptr;

protected:
    void animate(double) override {}

private:
    int number;
    std::vector<int>& ended;
};

} // namespace

TEST(AnimationManager, AnimationsEndFirstAddedFirstAlsoThoseAddedWhileEnding) {
    std::vector<int> ended;
    {
        k_AnimationManager manager;
        for (int number = 1; number <= 4; ++number) {
            k_Animation* animation = manager.adopt(new k_NotingAnimation(number, ended));
            EXPECT_TRUE(animation->isEnabled());
        }
        manager.clear();
        EXPECT_EQ(ended, (std::vector<int>{1, 2, 3, 4}));
        EXPECT_TRUE(manager.getAnimations().empty());

        ended.clear();
        auto* first = new k_NotingAnimation(1, ended);
        first->successorOf = &manager;
        manager.adopt(first);
        manager.adopt(new k_NotingAnimation(2, ended));
        manager.clear();
        EXPECT_EQ(ended, (std::vector<int>{1, 2, 10}));
        EXPECT_TRUE(manager.getAnimations().empty());

        ended.clear();
        manager.adopt(new k_NotingAnimation(5, ended));
        manager.adopt(new k_NotingAnimation(6, ended));
    }
    EXPECT_EQ(ended, (std::vector<int>{5, 6})) << "the manager's end deletes in the same order";
}
