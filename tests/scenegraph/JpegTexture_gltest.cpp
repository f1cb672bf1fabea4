// Texture nodes made from JPEG files written by the test, checked by reading GL state back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scenegraph/GenericSceneNode.h"
#include "scenegraph/JpegTexture.h"
#include "support/CaptureOutput.h"
#include "support/GlState.h"
#include "tools/JpegWriter.h"

namespace {

struct UnitSample {
    bool enabled;
    GLint bound;
};

// Records, for units 0 to 2, whether texturing is on and which texture is bound.
class k_TextureProbe : public k_SceneNode {
public:
    explicit k_TextureProbe(std::vector<UnitSample>* log) : samples(log) {}
    const char* getTypeName() const override { return "TextureProbe"; }

protected:
    void beginRender() override {
        for (int unit = 0; unit < 3; ++unit) {
            glActiveTextureARB(GL_TEXTURE0_ARB + unit);
            samples->push_back(
                {glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, currentInteger(GL_TEXTURE_BINDING_2D)});
        }
    }
    void endRender() override {}

private:
    std::vector<UnitSample>* samples;
};

GLint textureLevelParameter(GLuint texture, GLint level, GLenum which) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, which, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum which) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}

bool isPowerOfTwo(GLint value) {
    return value > 0 && (value & (value - 1)) == 0;
}

class JpegTextureGl : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/veltrava-jpeg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        for (int unit = 0; unit < 3; ++unit) {
            glActiveTextureARB(GL_TEXTURE0_ARB + unit);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    void TearDown() override {
        for (const std::string& path : files) {
            std::remove(path.c_str());
        }
        std::remove(folder.c_str());
    }

    std::string path(const char* name) {
        files.push_back(folder + "/" + name);
        return files.back();
    }

    // Top half red, bottom half blue, so the row order can be checked.
    std::string writeColour(const char* name, int width, int height) {
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
                p[0] = y < height / 2 ? 220 : 20;
                p[1] = 30;
                p[2] = y < height / 2 ? 20 : 220;
            }
        }
        const std::string file = path(name);
        EXPECT_TRUE(writeJpeg(file.c_str(), width, height, 3, JCS_RGB, pixels.data()));
        return file;
    }

    std::string writeBytes(const char* name, const std::string& bytes) {
        const std::string file = path(name);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        return file;
    }

    std::string readBytes(const std::string& file) {
        std::string bytes;
        std::FILE* in = std::fopen(file.c_str(), "rb");
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
            bytes.append(chunk, got);
        }
        std::fclose(in);
        return bytes;
    }

    // Loads `file`; returns the node and puts what went to standard error in `errors`.
    k_JpegTexture* load(const std::string& file, int unit, std::string* errors) {
        k_JpegTexture* node = nullptr;
        *errors = captureStderr([&] { node = new k_JpegTexture(file.c_str(), unit); });
        return node;
    }

    std::string folder;
    std::vector<std::string> files;
};

} // namespace

TEST_F(JpegTextureGl, ColourImageBecomesAFullMipmapChainThatRepeats) {
    const std::string file = writeColour("colour.jpg", 256, 128);
    std::string errors;
    k_JpegTexture* node = load(file, 0, &errors);
    EXPECT_EQ(errors, "");
    const GLuint texture = node->getTextureName();
    ASSERT_NE(texture, 0u);
    EXPECT_TRUE(glIsTexture(texture));

    EXPECT_EQ(textureLevelParameter(texture, 0, GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(textureLevelParameter(texture, 0, GL_TEXTURE_HEIGHT), 128);
    EXPECT_EQ(textureLevelParameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), 3);
    for (int level = 1; level <= 8; ++level) {
        EXPECT_EQ(textureLevelParameter(texture, level, GL_TEXTURE_WIDTH), 256 >> level);
        EXPECT_EQ(textureLevelParameter(texture, level, GL_TEXTURE_HEIGHT),
                  std::max(1, 128 >> level));
    }
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    EXPECT_EQ(currentInteger(GL_UNPACK_ALIGNMENT), 1);

    // The image's top row is the texture's first row.
    std::vector<unsigned char> texels(256 * 128 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_NEAR(texels[0], 220, 12);
    EXPECT_NEAR(texels[2], 20, 12);
    const size_t last = texels.size() - 3;
    EXPECT_NEAR(texels[last], 20, 12);
    EXPECT_NEAR(texels[last + 2], 220, 12);
    delete node;
    EXPECT_FALSE(glIsTexture(texture)); // the texture goes with its node
}

TEST_F(JpegTextureGl, OddSizedImageIsRescaledToPowersOfTwo) {
    const std::string file = writeColour("odd.jpg", 300, 200);
    std::string errors;
    k_JpegTexture* node = load(file, 0, &errors);
    EXPECT_EQ(errors, "");
    const GLuint texture = node->getTextureName();
    ASSERT_NE(texture, 0u);
    const GLint width = textureLevelParameter(texture, 0, GL_TEXTURE_WIDTH);
    const GLint height = textureLevelParameter(texture, 0, GL_TEXTURE_HEIGHT);
    EXPECT_TRUE(isPowerOfTwo(width)) << width;
    EXPECT_TRUE(isPowerOfTwo(height)) << height;
    int levels = 0;
    while (levels < 16 && textureLevelParameter(texture, levels, GL_TEXTURE_WIDTH) > 0) {
        ++levels;
    }
    EXPECT_GT(levels, 7);
    delete node;
}

namespace {

class JpegUniformsGl : public JpegTextureGl {
protected:
    // The scenes' program with sentinel sampler values no texture node would set. It is
    // shared from test to test, so the flags are cleared as a freshly linked program has them.
    GLhandleARB makeProgram(k_GenericSceneNode* node) {
        node->setShader("phong.vert", "phong.frag");
        const GLhandleARB program = node->getShaderProgram();
        glUseProgramObjectARB(program);
        glUniform1iARB(glGetUniformLocationARB(program, "TextureAmbient"), 5);
        glUniform1iARB(glGetUniformLocationARB(program, "TextureNormal"), 6);
        glUniform1iARB(glGetUniformLocationARB(program, "bAmbient"), 0);
        glUniform1iARB(glGetUniformLocationARB(program, "bNormal"), 0);
        glUseProgramObjectARB(0);
        return program;
    }
    static GLint uniform(GLhandleARB program, const char* name) {
        GLint value = -1;
        glGetUniformivARB(program, glGetUniformLocationARB(program, name), &value);
        return value;
    }
    static std::vector<GLint> uniforms(GLhandleARB program) {
        return {uniform(program, "TextureAmbient"), uniform(program, "bAmbient"),
                uniform(program, "TextureNormal"), uniform(program, "bNormal")};
    }
    k_JpegTexture* texture(const char* name, int unit) {
        std::string errors;
        return load(writeColour(name, 64, 32), unit, &errors);
    }
};

} // namespace

TEST_F(JpegUniformsGl, InsideAShaderNodeUnitsZeroAndOneSetSamplerAndFlag) {
    k_GenericSceneNode lightAndShader;
    const GLhandleARB program = makeProgram(&lightAndShader);
    ASSERT_EQ(uniforms(program), (std::vector<GLint>{5, 0, 6, 0}));

    // Unit 2 binds and enables its texture there but tells the program nothing.
    k_JpegTexture* extra = texture("extra.jpg", 2);
    std::vector<UnitSample> seen;
    extra->addChild(new k_TextureProbe(&seen));
    lightAndShader.addChild(extra);
    lightAndShader.render();
    EXPECT_EQ(uniforms(program), (std::vector<GLint>{5, 0, 6, 0}));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[0].enabled);
    EXPECT_FALSE(seen[1].enabled);
    EXPECT_TRUE(seen[2].enabled);
    EXPECT_EQ(seen[2].bound, static_cast<GLint>(extra->getTextureName()));

    // The scenes' arrangement: normal map on unit 1 holding the colour map on unit 0.
    k_JpegTexture* normalMap = texture("normal.jpg", 1);
    k_JpegTexture* colourMap = texture("colour.jpg", 0);
    lightAndShader.addChild(normalMap);
    normalMap->addChild(colourMap);
    colourMap->addChild(new k_TextureProbe(&seen));
    seen.clear();
    lightAndShader.render();
    EXPECT_EQ(uniforms(program), (std::vector<GLint>{0, 1, 1, 1}));
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_TRUE(seen[3].enabled);
    EXPECT_EQ(seen[3].bound, static_cast<GLint>(colourMap->getTextureName()));
    EXPECT_TRUE(seen[4].enabled);
    EXPECT_EQ(seen[4].bound, static_cast<GLint>(normalMap->getTextureName()));
    EXPECT_FALSE(seen[5].enabled); // unit 2 was switched off after its own subtree
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << unit;
    }
}

TEST_F(JpegUniformsGl, OutsideAnyShaderNodeNoUniformIsSet) {
    k_GenericSceneNode unrelated;
    const GLhandleARB program = makeProgram(&unrelated);
    k_GenericSceneNode group; // e.g. the sky: no shader node above it
    k_JpegTexture* normalMap = texture("normal.jpg", 1);
    group.addChild(normalMap);
    normalMap->addChild(texture("colour.jpg", 0));
    glUseProgramObjectARB(program);
    group.render();
    glUseProgramObjectARB(0);
    EXPECT_EQ(uniforms(program), (std::vector<GLint>{5, 0, 6, 0}));
}

TEST_F(JpegUniformsGl, MissingFileIsReportedAndTheNodeStillWorks) {
    const std::string file = folder + "/nowhere.jpg";
    std::string errors;
    k_JpegTexture* colourMap = load(file, 0, &errors);
    EXPECT_EQ(errors, "can't open " + file + "\n");
    EXPECT_EQ(colourMap->getTextureName(), 0u);

    k_GenericSceneNode lightAndShader;
    const GLhandleARB program = makeProgram(&lightAndShader);
    std::vector<UnitSample> seen;
    lightAndShader.addChild(colourMap);
    colourMap->addChild(new k_TextureProbe(&seen));
    lightAndShader.render();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].enabled);
    EXPECT_EQ(seen[0].bound, 0);
    EXPECT_EQ(uniform(program, "TextureAmbient"), 0);
    EXPECT_EQ(uniform(program, "bAmbient"), 1);
}

namespace {

// Offset of the first start-of-frame marker's height field, or npos.
size_t frameHeightOffset(const std::string& bytes) {
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) == 0xFF &&
            static_cast<unsigned char>(bytes[i + 1]) == 0xC0) {
            return i + 5;
        }
    }
    return std::string::npos;
}

} // namespace

TEST_F(JpegTextureGl, DamagedFilesGiveNoTextureAndOneLineNamingTheFile) {
    const std::string good = readBytes(writeColour("good.jpg", 64, 32));
    std::string zeroHeight = good;
    const size_t at = frameHeightOffset(zeroHeight);
    ASSERT_NE(at, std::string::npos);
    zeroHeight[at] = 0;
    zeroHeight[at + 1] = 0;

    const std::string cases[][2] = {
        {writeBytes("text.jpg", "this is not an image\n"), "Not a JPEG file"},
        {writeBytes("empty.jpg", ""), "Empty input file"},
        {writeBytes("zero.jpg", zeroHeight), ""},
        {writeBytes("header.jpg", good.substr(0, 20)), ""},
    };
    for (const auto& c : cases) {
        std::string errors;
        k_JpegTexture* node = load(c[0], 0, &errors);
        EXPECT_EQ(node->getTextureName(), 0u) << c[0];
        // A warning may come first (a file that ends early); the last line is the verdict.
        const size_t verdict = errors.find("can't decode " + c[0] + ": ");
        ASSERT_NE(verdict, std::string::npos) << errors;
        EXPECT_NE(errors.find(c[1], verdict), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n', verdict), errors.size() - 1) << errors;
        delete node;
    }
}

TEST_F(JpegTextureGl, TruncatedDataWarnsAndKeepsWhatWasDecoded) {
    // A busy picture, so that the scan data and not the headers make up most of the file.
    std::vector<unsigned char> busy(128 * 128 * 3);
    for (size_t i = 0; i < busy.size(); ++i) {
        busy[i] = static_cast<unsigned char>((i * 7919u) % 251u);
    }
    const std::string whole = path("whole.jpg");
    ASSERT_TRUE(writeJpeg(whole.c_str(), 128, 128, 3, JCS_RGB, busy.data()));
    const std::string good = readBytes(whole);
    ASSERT_GT(good.size(), 8000u);
    const std::string file = writeBytes("half.jpg", good.substr(0, good.size() / 2));
    std::string errors;
    k_JpegTexture* node = load(file, 0, &errors);
    EXPECT_NE(errors.find("Premature end of JPEG file"), std::string::npos) << errors;
    ASSERT_NE(node->getTextureName(), 0u) << errors;
    EXPECT_EQ(textureLevelParameter(node->getTextureName(), 0, GL_TEXTURE_WIDTH), 128);
    delete node;
}

TEST_F(JpegTextureGl, GreyscaleIsExpandedToRgb) {
    std::vector<unsigned char> grey(40 * 24);
    for (size_t i = 0; i < grey.size(); ++i) {
        grey[i] = 150;
    }
    const std::string file = path("grey.jpg");
    ASSERT_TRUE(writeJpeg(file.c_str(), 40, 24, 1, JCS_GRAYSCALE, grey.data()));
    std::string errors;
    k_JpegTexture* node = load(file, 0, &errors);
    EXPECT_EQ(errors, "");
    ASSERT_NE(node->getTextureName(), 0u);
    std::vector<unsigned char> texels(64 * 32 * 3); // rescaled to at most 64 x 32
    glBindTexture(GL_TEXTURE_2D, node->getTextureName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_NEAR(texels[0], 150, 3);
    EXPECT_EQ(texels[0], texels[1]);
    EXPECT_EQ(texels[1], texels[2]);
    delete node;
}

TEST_F(JpegTextureGl, CmykAndOversizedImagesAreRefused) {
    std::vector<unsigned char> cmyk(32 * 16 * 4, 100);
    const std::string cmykFile = path("cmyk.jpg");
    ASSERT_TRUE(writeJpeg(cmykFile.c_str(), 32, 16, 4, JCS_CMYK, cmyk.data()));

    const int tooWide = currentInteger(GL_MAX_TEXTURE_SIZE) + 1;
    std::vector<unsigned char> strip(static_cast<size_t>(tooWide) * 8 * 3, 90);
    const std::string wideFile = path("wide.jpg");
    ASSERT_TRUE(writeJpeg(wideFile.c_str(), tooWide, 8, 3, JCS_RGB, strip.data(), 50));

    for (const std::string& file : {cmykFile, wideFile}) {
        std::string errors;
        k_JpegTexture* node = load(file, 1, &errors);
        EXPECT_EQ(node->getTextureName(), 0u) << file;
        EXPECT_EQ(errors.rfind("can't use " + file + ": ", 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        delete node;
    }
}
