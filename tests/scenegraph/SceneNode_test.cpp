#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"
#include "scenegraph/SceneNode.h"

namespace {

std::vector<std::string> events;

// A node that only records what happens to it; it touches no OpenGL state.
class RecordingNode : public k_SceneNode {
public:
    explicit RecordingNode(std::string nodeName) : name(std::move(nodeName)) {}
    ~RecordingNode() override {
        // A deleted child must already be out of its parent's list.
        if (getParent() != nullptr) {
            const auto& siblings = getParent()->getChildren();
            if (std::find(siblings.begin(), siblings.end(), this) != siblings.end()) {
                events.push_back("deleted while listed: " + name);
            }
        }
        events.push_back("delete " + name);
    }
    const char* getTypeName() const override { return "RecordingNode"; }

protected:
    void beginRender() override { events.push_back("begin " + name); }
    void endRender() override { events.push_back("end " + name); }

private:
    std::string name;
};

// A body without light, material, shader or transform, so drawing it needs no context.
class RecordingBody : public k_Artifact {
public:
    RecordingBody(std::string bodyName, int interest) : name(std::move(bodyName)) {
        setInterest(interest);
    }
    ~RecordingBody() override { events.push_back("delete " + name); }
    float getRadius() const override { return 1.0f; }

protected:
    void drawShape() override { events.push_back("shape " + name); }

private:
    std::string name;
};

// A body one level further down still registers.
class DerivedBody : public RecordingBody {
public:
    using RecordingBody::RecordingBody;
};

class SceneNodeTest : public testing::Test {
protected:
    void SetUp() override {
        events.clear();
        artifactRegistry.clear();
    }
};

TEST_F(SceneNodeTest, rendersDepthFirstInInsertionOrder) {
    RecordingNode root("root");
    auto* a = new RecordingNode("a");
    auto* b = new RecordingNode("b");
    auto* body = new RecordingBody("body", 0);
    root.addChild(a);
    a->addChild(b);
    a->addChild(body);
    root.addChild(new RecordingNode("d"));
    EXPECT_EQ(a->getParent(), &root);
    EXPECT_EQ(b->getParent(), a);
    EXPECT_EQ(root.getParent(), nullptr);

    root.render();
    EXPECT_EQ(events,
              (std::vector<std::string>{"begin root", "begin a", "begin b", "end b", "shape body",
                                        "end a", "begin d", "end d", "end root"}));

    events.clear();
    RecordingNode leaf("leaf");
    leaf.render();
    EXPECT_EQ(events, (std::vector<std::string>{"begin leaf", "end leaf"}));
}

TEST_F(SceneNodeTest, removeAllChildrenDeletesFirstToLastEachUnlistedFirst) {
    RecordingNode root("root");
    auto* a = new RecordingNode("a");
    root.addChild(a);
    a->addChild(new RecordingNode("a1"));
    a->addChild(new RecordingNode("a2"));
    root.addChild(new RecordingNode("b"));

    root.removeAllChildren();
    EXPECT_TRUE(root.getChildren().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"delete a", "delete a1", "delete a2", "delete b"}));

    // The root survives and takes new children.
    root.addChild(new RecordingNode("c"));
    ASSERT_EQ(root.getChildren().size(), 1u);
}

TEST_F(SceneNodeTest, registrationIsDecidedWhenTheBodyIsAdded) {
    RecordingNode root("root");
    auto* sky = new RecordingBody("sky", -1);
    auto* obstacle = new RecordingBody("obstacle", 0);
    auto* target = new DerivedBody("target", 5);
    auto* late = new RecordingBody("late", -1);
    root.addChild(sky);
    root.addChild(new RecordingNode("group"));
    root.getChildren()[1]->addChild(obstacle);
    root.addChild(target);
    root.addChild(late);
    EXPECT_EQ(artifactRegistry, (std::vector<k_Artifact*>{obstacle, target}));

    // Later changes of interest neither register nor unregister.
    late->setInterest(100);
    obstacle->setInterest(-1);
    EXPECT_EQ(artifactRegistry, (std::vector<k_Artifact*>{obstacle, target}));

    // Every body is still drawn, registered or not.
    root.render();
    EXPECT_EQ(std::count(events.begin(), events.end(), std::string("shape sky")), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), std::string("shape late")), 1);
}

TEST_F(SceneNodeTest, anyRemovalEmptiesTheWholeRegistry) {
    RecordingNode root("root");
    auto* group = new RecordingNode("group");
    auto* leaf = new RecordingNode("leaf");
    root.addChild(group);
    root.addChild(leaf);
    group->addChild(new RecordingBody("x", 0));
    group->addChild(new RecordingBody("y", 3));
    ASSERT_EQ(artifactRegistry.size(), 2u);

    // A leaf far from the bodies still clears every entry; nothing is deleted.
    leaf->removeAllChildren();
    EXPECT_TRUE(artifactRegistry.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(group->getChildren().size(), 2u);

    // Deleting any node, even a childless one, does too.
    group->addChild(new RecordingBody("z", 0));
    ASSERT_EQ(artifactRegistry.size(), 1u);
    delete new RecordingNode("lonely");
    EXPECT_TRUE(artifactRegistry.empty());
}

TEST_F(SceneNodeTest, refusesAdoptionsThatWouldBreakOwnership) {
    RecordingNode root("root");
    auto* a = new RecordingNode("a");
    auto* b = new RecordingNode("b");
    auto* body = new RecordingBody("body", 1);
    root.addChild(a);
    a->addChild(b);
    root.addChild(body);

    testing::internal::CaptureStderr();
    root.addChild(nullptr);
    a->addChild(body); // already owned by root: a second owner would delete it twice
    b->addChild(a);    // a cycle would render forever
    b->addChild(b);
    std::string messages = testing::internal::GetCapturedStderr();

    EXPECT_EQ(root.getChildren(), (std::vector<k_SceneNode*>{a, body}));
    EXPECT_EQ(a->getChildren(), (std::vector<k_SceneNode*>{b}));
    EXPECT_TRUE(b->getChildren().empty());
    EXPECT_EQ(body->getParent(), &root);
    EXPECT_EQ(artifactRegistry, (std::vector<k_Artifact*>{body}));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 4);
    EXPECT_NE(messages.find("already has a parent"), std::string::npos);
}

} // namespace
