// Shader building against the real GLSL compiler, with the console output it produces.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/ShaderUtils.h"
#include "support/CaptureOutput.h"

namespace {

class ShaderFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/veltrava-shaders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        for (const std::string& path : written) {
            std::remove(path.c_str());
        }
        std::remove(folder.c_str());
    }
    std::string write(const char* name, const std::string& text) {
        const std::string path = folder + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        written.push_back(path);
        return path;
    }
    std::string folder;
    std::vector<std::string> written;
};

GLint linkStatus(GLhandleARB program) {
    GLint linked = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    return linked;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TEST_F(ShaderFiles, ThePhongPairCompilesAndLinksSilently) {
    k_GenericSceneNode node;
    const std::string output = captureStdout([&] { node.setShader("phong.vert", "phong.frag"); });
    EXPECT_EQ(output, "");
    EXPECT_TRUE(node.getHasShader());
    EXPECT_EQ(linkStatus(node.getShaderProgram()), 1);
    for (const char* name : {"TextureAmbient", "TextureNormal", "bAmbient", "bNormal"}) {
        EXPECT_GE(glGetUniformLocationARB(node.getShaderProgram(), name), 0) << name;
    }
}

TEST_F(ShaderFiles, MissingFilesReportFragmentThenVertexThenLink) {
    k_GenericSceneNode node;
    const std::string vertex = folder + "/absent.vert";
    const std::string fragment = folder + "/absent.frag";
    const std::string output =
        captureStdout([&] { node.setShader(vertex.c_str(), fragment.c_str()); });

    const std::string fragmentLine = "Error compiling fragment shader: " + fragment + "\n";
    const std::string vertexLine = "Error compiling vertex shader: " + vertex + "\n";
    EXPECT_TRUE(startsWith(output, fragmentLine)) << output;
    const size_t vertexAt = output.find(vertexLine);
    const size_t linkAt = output.find("Error linking shaders.\n");
    ASSERT_NE(vertexAt, std::string::npos) << output;
    ASSERT_NE(linkAt, std::string::npos) << output;
    EXPECT_LT(vertexAt, linkAt);
    // Mesa's linker runs its two messages together; each must come on a line of its own, and
    // no log leaves an empty line behind.
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(line.empty()) << output;
        EXPECT_EQ(line.find("error:", line.find("error:") + 1), std::string::npos) << line;
    }
    EXPECT_EQ(output.back(), '\n');
    // The handle is kept even though nothing linked; selecting it is refused by GL.
    EXPECT_TRUE(node.getHasShader());
    EXPECT_NE(node.getShaderProgram(), 0u);
    EXPECT_EQ(linkStatus(node.getShaderProgram()), 0);
}

TEST_F(ShaderFiles, EmptyAndBrokenFilesPrintTheirNameAndTheCompilerLog) {
    const std::string empty = write("empty.vert", "");
    const std::string broken = write("broken.frag", "void main() { gl_FragColor = nonsense; }\n");
    std::string emptyOutput = captureStdout([&] { compileVertexShader(empty.c_str()); });
    std::string brokenOutput = captureStdout([&] { compileFragmentShader(broken.c_str()); });

    const std::string emptyLine = "Error compiling vertex shader: " + empty + "\n";
    EXPECT_TRUE(startsWith(emptyOutput, emptyLine)) << emptyOutput;
    const std::string brokenLine = "Error compiling fragment shader: " + broken + "\n";
    ASSERT_TRUE(startsWith(brokenOutput, brokenLine)) << brokenOutput;
    // The compiler's log follows, naming the undeclared identifier, and ends with a line feed.
    EXPECT_NE(brokenOutput.find("nonsense", brokenLine.size()), std::string::npos);
    EXPECT_EQ(brokenOutput.back(), '\n');
}

TEST(ShaderInfoLog, EveryMessageOnItsOwnLineEndingInOneLineFeed) {
    EXPECT_EQ(infoLogAsLines(""), "");
    EXPECT_EQ(infoLogAsLines("\n"), "");
    EXPECT_EQ(infoLogAsLines("error: a"), "error: a\n");
    EXPECT_EQ(infoLogAsLines("error: a\r\n\n"), "error: a\n");
    EXPECT_EQ(infoLogAsLines("error: aerror: bwarning: c"), "error: a\nerror: b\nwarning: c\n");
    // The compiler's location prefix stays on the message's line.
    EXPECT_EQ(infoLogAsLines("0:1(1): error: x\n0:2(1): warning: y\n"),
              "0:1(1): error: x\n0:2(1): warning: y\n");
}

TEST_F(ShaderFiles, CarriageReturnLineEndsAreReadWhole) {
    const std::string text = "#version 110\r\nvoid main()\r\n{\r\n    gl_FragColor = "
                             "vec4(1.0);\r\n}\r\n";
    const std::string path = write("crlf.frag", text);
    char* read = readTextFile(path.c_str());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::string(read), text);
    delete[] read;
    const std::string output = captureStdout([&] { compileFragmentShader(path.c_str()); });
    EXPECT_EQ(output, "");
}

TEST_F(ShaderFiles, NoTextForNullMissingEmptyOrFolder) {
    EXPECT_EQ(readTextFile(nullptr), nullptr);
    EXPECT_EQ(readTextFile((folder + "/absent").c_str()), nullptr);
    EXPECT_EQ(readTextFile(write("empty.txt", "").c_str()), nullptr);
    EXPECT_EQ(readTextFile(folder.c_str()), nullptr);
}
