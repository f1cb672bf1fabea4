// Decodes a JPEG file once, at construction, into an RGB mipmapped texture; drawing binds it.
// GL state: the constructor leaves the unpack alignment at 1 and its unit active; beginRender()
// enables GL_TEXTURE_2D on the node's unit and sets uniforms of the nearest shader ancestor,
// endRender() disables texturing on the unit again. Uniform values are never restored.
#include "scenegraph/JpegTexture.h"

#include <GL/glew.h>

#include <csetjmp>
#include <cstdio>
#include <new>

#include <GL/glu.h>
#include <jpeglib.h>

#include "scenegraph/GenericSceneNode.h"

namespace {

// Everything the decoder touches lives here, outside the function that calls setjmp, so it
// is all still valid and reachable when a decoding error jumps back.
struct Decoding {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf recovery;
    const char* fileName;
    int maxTextureSize;
    unsigned char* pixels;
    unsigned int width;
    unsigned int height;
};

[[noreturn]] void onDecodingError(j_common_ptr info) {
    Decoding* decoding = reinterpret_cast<Decoding*>(info->client_data);
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "can't decode %s: %s\n", decoding->fileName, message);
    std::longjmp(decoding->recovery, 1);
}

// Our own reasons to give up on a file, reported like the library's errors.
[[noreturn]] void reject(Decoding* decoding, const char* reason) {
    std::fprintf(stderr, "can't use %s: %s\n", decoding->fileName, reason);
    std::longjmp(decoding->recovery, 1);
}

// Reads the whole image into decoding->pixels as tightly packed RGB rows, top row first.
// No C++ object with a destructor may live in this frame: errors leave it by longjmp.
bool decode(Decoding* decoding, std::FILE* file) {
    if (setjmp(decoding->recovery) != 0) {
        return false;
    }
    jpeg_decompress_struct* info = &decoding->info;
    jpeg_create_decompress(info);
    info->client_data = decoding;
    jpeg_stdio_src(info, file);
    jpeg_read_header(info, TRUE);

    // Colour and greyscale files are asked for RGB; anything else (CMYK, YCCK, odd component
    // counts) would give rows wider than width * 3 bytes and is refused below.
    if (info->jpeg_color_space == JCS_GRAYSCALE || info->jpeg_color_space == JCS_YCbCr) {
        info->out_color_space = JCS_RGB;
    }
    if (info->image_width > static_cast<JDIMENSION>(decoding->maxTextureSize) ||
        info->image_height > static_cast<JDIMENSION>(decoding->maxTextureSize)) {
        reject(decoding, "the image is larger than the largest texture this OpenGL allows");
    }
    jpeg_start_decompress(info);
    if (info->output_components != 3) {
        reject(decoding, "not a colour image (the decoder gives no RGB output for it)");
    }

    const size_t stride = static_cast<size_t>(info->output_width) * 3;
    decoding->width = info->output_width;
    decoding->height = info->output_height;
    decoding->pixels = new (std::nothrow) unsigned char[stride * info->output_height];
    if (decoding->pixels == nullptr) {
        reject(decoding, "not enough memory for the pixels");
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = decoding->pixels + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

k_JpegTexture::k_JpegTexture(const char* fileName, int unit) : textureUnit(unit), textureName(0) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "can't open %s\n", fileName);
        return;
    }

    Decoding* decoding = new Decoding();
    decoding->fileName = fileName;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &decoding->maxTextureSize);
    // The standard manager prints warnings (e.g. premature end of data) and carries on; only
    // errors are redirected to the recovery point.
    decoding->info.err = jpeg_std_error(&decoding->errors);
    decoding->errors.error_exit = onDecodingError;

    if (decode(decoding, file)) {
        glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
        glGenTextures(1, &textureName);
        glBindTexture(GL_TEXTURE_2D, textureName);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        // The mipmap builder rescales sides that are not powers of two.
        const GLint built = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, static_cast<GLint>(decoding->width),
                                              static_cast<GLint>(decoding->height), GL_RGB,
                                              GL_UNSIGNED_BYTE, decoding->pixels);
        if (built != 0) {
            std::fprintf(stderr, "can't build the texture of %s: %s\n", fileName,
                         reinterpret_cast<const char*>(gluErrorString(static_cast<GLenum>(built))));
        }
    }
    jpeg_destroy_decompress(&decoding->info);
    std::fclose(file);
    delete[] decoding->pixels;
    delete decoding;
}

// The texture object stays in the context.
k_JpegTexture::~k_JpegTexture() = default;

void k_JpegTexture::beginRender() {
    const k_GenericSceneNode* shaderNode = nullptr;
    for (k_SceneNode* node = getParent(); node != nullptr && shaderNode == nullptr;
         node = node->getParent()) {
        const k_GenericSceneNode* generic = dynamic_cast<const k_GenericSceneNode*>(node);
        if (generic != nullptr && generic->getHasShader()) {
            shaderNode = generic;
        }
    }

    glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureName);

    if (shaderNode == nullptr) {
        return;
    }
    const char* sampler = nullptr;
    const char* flag = nullptr;
    if (textureUnit == 0) {
        sampler = "TextureAmbient";
        flag = "bAmbient";
    } else if (textureUnit == 1) {
        sampler = "TextureNormal";
        flag = "bNormal";
    } else {
        return;
    }
    // Locations are looked up by name on every draw; nothing is cached.
    const GLhandleARB program = shaderNode->getShaderProgram();
    glUniform1iARB(glGetUniformLocationARB(program, sampler), textureUnit);
    glUniform1iARB(glGetUniformLocationARB(program, flag), 1);
}

void k_JpegTexture::endRender() {
    glActiveTextureARB(GL_TEXTURE0_ARB + textureUnit);
    glDisable(GL_TEXTURE_2D);
}
