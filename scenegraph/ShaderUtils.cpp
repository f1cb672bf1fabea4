#include "scenegraph/ShaderUtils.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>

char* readTextFile(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    std::FILE* file = std::fopen(fileName, "rt");
    if (file == nullptr) {
        return nullptr;
    }
    char* text = nullptr;
    // A directory opens on Linux, and ftell on it gives a huge length that no allocation
    // satisfies: only regular files are read, and a length too large to hold gives no text.
    struct stat status;
    const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    if (regular && std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            text = new (std::nothrow) char[static_cast<size_t>(length) + 1];
        }
        if (text != nullptr) {
            // Text-mode line-end translation may deliver fewer bytes than the length.
            const size_t read = std::fread(text, 1, static_cast<size_t>(length), file);
            text[read] = '\0';
        }
    }
    std::fclose(file);
    return text;
}

namespace {

GLhandleARB compileShader(GLenum stage, const char* fileName, const char* errorPrefix) {
    const GLhandleARB shader = glCreateShaderObjectARB(stage);
    char* text = readTextFile(fileName);
    // With no text an empty source is compiled, which fails and is reported below.
    const GLcharARB* source = text != nullptr ? text : "";
    glShaderSourceARB(shader, 1, &source, nullptr);
    glCompileShaderARB(shader);
    delete[] text;

    GLint compiled = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    if (compiled == 0) {
        std::printf("%s%s\n", errorPrefix, fileName != nullptr ? fileName : "");
        std::fflush(stdout);
        printInfoLog(shader);
    }
    return shader;
}

} // namespace

GLhandleARB compileVertexShader(const char* fileName) {
    return compileShader(GL_VERTEX_SHADER_ARB, fileName, "Error compiling vertex shader: ");
}

GLhandleARB compileFragmentShader(const char* fileName) {
    return compileShader(GL_FRAGMENT_SHADER_ARB, fileName, "Error compiling fragment shader: ");
}

GLhandleARB linkProgram(GLhandleARB vertexShader, GLhandleARB fragmentShader) {
    const GLhandleARB program = glCreateProgramObjectARB();
    glAttachObjectARB(program, vertexShader);
    glAttachObjectARB(program, fragmentShader);
    glLinkProgramARB(program);

    GLint linked = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    if (linked == 0) {
        std::printf("Error linking shaders.\n");
        std::fflush(stdout);
        printInfoLog(program);
    }
    return program;
}

void printInfoLog(GLhandleARB object) {
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 0) {
        return;
    }
    char* log = new char[static_cast<size_t>(length)];
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, log);
    // Keep within the buffer even if the driver does not terminate the text.
    const GLsizei end = written < length ? written : length - 1;
    log[end < 0 ? 0 : end] = '\0';
    std::printf("%s\n", log);
    std::fflush(stdout);
    delete[] log;
}

void useProgram(GLhandleARB program) {
    glUseProgramObjectARB(program);
}
