// Programs shared between shader nodes across scene loads, against the real GLSL compiler.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/ShaderProgramCache.h"
#include "scenegraph/ShaderUtils.h"
#include "support/CaptureOutput.h"

namespace {

std::string readWhole(const char* name) {
    char* text = readTextFile(name);
    const std::string whole = text != nullptr ? text : "";
    delete[] text;
    return whole;
}

// A private copy of the scenes' shader pair, to be edited between loads.
class ShaderProgramCacheGl : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/veltrava-cache-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        vertex = folder + "/a.vert";
        fragment = folder + "/a.frag";
        phongVertex = readWhole("phong.vert");
        phongFragment = readWhole("phong.frag");
        ASSERT_FALSE(phongVertex.empty() || phongFragment.empty());
        write(vertex, phongVertex);
        write(fragment, phongFragment);
    }
    void TearDown() override {
        std::remove(vertex.c_str());
        std::remove(fragment.c_str());
        std::remove(folder.c_str());
    }
    static void write(const std::string& path, const std::string& text) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    // A node with the copy's program, and what its setShader printed.
    std::unique_ptr<k_GenericSceneNode> build(std::string* output = nullptr) {
        std::unique_ptr<k_GenericSceneNode> node(new k_GenericSceneNode());
        const std::string printed =
            captureStdout([&] { node->setShader(vertex.c_str(), fragment.c_str()); });
        if (output != nullptr) {
            *output = printed;
        }
        return node;
    }
    static k_ShaderProgramCache& cache() { return k_ShaderProgramCache::instance(); }

    std::string folder;
    std::string vertex;
    std::string fragment;
    std::string phongVertex;
    std::string phongFragment;
};

bool isLinked(GLhandleARB program) {
    return glIsProgram(program) && isProgramLinked(program);
}

} // namespace

TEST_F(ShaderProgramCacheGl, SameTextsShareOneProgramThatOutlivesItsLastUser) {
    // An edited copy, so that no earlier test has linked these texts.
    write(fragment, phongFragment + "// shared\n");
    const size_t sizeBefore = cache().size();
    std::string output;
    std::unique_ptr<k_GenericSceneNode> first = build(&output);
    EXPECT_EQ(output, "");
    std::unique_ptr<k_GenericSceneNode> second = build(&output);
    EXPECT_EQ(output, "");
    EXPECT_EQ(cache().size(), sizeBefore + 1);
    const GLhandleARB program = first->getShaderProgram();
    ASSERT_TRUE(isLinked(program));
    EXPECT_EQ(second->getShaderProgram(), program);
    EXPECT_EQ(second->getVertexShader(), first->getVertexShader());
    EXPECT_EQ(second->getFragmentShader(), first->getFragmentShader());

    // A node going while another uses the program leaves it alone; the last one going keeps
    // it for the next load, and a repeated setShader on one node takes it again.
    first.reset();
    EXPECT_TRUE(isLinked(program));
    second->setShader(vertex.c_str(), fragment.c_str());
    EXPECT_EQ(second->getShaderProgram(), program);
    second.reset();
    EXPECT_TRUE(isLinked(program));
    std::unique_ptr<k_GenericSceneNode> later = build(&output);
    EXPECT_EQ(output, "");
    EXPECT_EQ(later->getShaderProgram(), program);
    EXPECT_TRUE(later->getHasShader());
}

TEST_F(ShaderProgramCacheGl, AnEditedFileTakesEffectAtTheNextSetShader) {
    std::unique_ptr<k_GenericSceneNode> before = build();
    write(vertex, phongVertex + "// edited\n");
    std::unique_ptr<k_GenericSceneNode> after = build();
    ASSERT_TRUE(isLinked(after->getShaderProgram()));
    EXPECT_NE(after->getShaderProgram(), before->getShaderProgram());
    EXPECT_NE(after->getVertexShader(), before->getVertexShader());
    EXPECT_TRUE(isLinked(before->getShaderProgram())); // still in use
}

TEST_F(ShaderProgramCacheGl, ABrokenPairIsReportedAtEveryLoadAndNeverShared) {
    write(fragment, "void main() { gl_FragColor = nonsense; }\n");
    const size_t sizeBefore = cache().size();
    std::string firstOutput;
    std::string secondOutput;
    std::unique_ptr<k_GenericSceneNode> first = build(&firstOutput);
    std::unique_ptr<k_GenericSceneNode> second = build(&secondOutput);
    const std::string line = "Error compiling fragment shader: " + fragment + "\n";
    EXPECT_EQ(firstOutput.compare(0, line.size(), line), 0) << firstOutput;
    EXPECT_NE(firstOutput.find("Error linking shaders.\n"), std::string::npos) << firstOutput;
    EXPECT_EQ(secondOutput, firstOutput);
    EXPECT_EQ(cache().size(), sizeBefore);
    const GLhandleARB program = first->getShaderProgram();
    EXPECT_NE(program, 0u);
    EXPECT_NE(second->getShaderProgram(), program);
    // Not cached, so it goes with its node.
    first.reset();
    EXPECT_FALSE(glIsProgram(program));
}

TEST_F(ShaderProgramCacheGl, UnusedProgramsAreBoundedAndOnlyUnusedOnesGo) {
    std::unique_ptr<k_GenericSceneNode> held = build();
    const GLhandleARB heldProgram = held->getShaderProgram();
    std::vector<GLhandleARB> programs;
    for (int i = 0; i < 8; ++i) {
        // A file changed at every load.
        write(fragment, phongFragment + "// version " + std::to_string(i) + "\n");
        programs.push_back(build()->getShaderProgram());
        EXPECT_LE(cache().unusedCount(), k_ShaderProgramCache::maxUnused);
    }
    size_t alive = 0;
    for (GLhandleARB program : programs) {
        alive += glIsProgram(program) ? 1 : 0;
    }
    EXPECT_EQ(alive, k_ShaderProgramCache::maxUnused);
    EXPECT_TRUE(glIsProgram(programs.back())); // the most recent are the ones kept
    EXPECT_TRUE(isLinked(heldProgram));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
