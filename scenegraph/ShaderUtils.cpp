#include "scenegraph/ShaderUtils.h"

#include <cctype>
#include <cstdio>
#include <new>
#include <string>

#include "platform/RegularFile.h"

char* readTextFile(const char* fileName) {
    std::string reason;
    std::FILE* file = openRegularFile(fileName, reason);
    if (file == nullptr) {
        if (!reason.empty()) {
            std::fprintf(stderr, "can't open %s: %s\n", fileName, reason.c_str());
        }
        return nullptr;
    }
    char* text = nullptr;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            text = new (std::nothrow) char[static_cast<size_t>(length) + 1];
        }
        if (text != nullptr) {
            // The file may have shrunk since its length was taken.
            const size_t read = std::fread(text, 1, static_cast<size_t>(length), file);
            text[read] = '\0';
        }
    }
    std::fclose(file);
    return text;
}

namespace {

GLhandleARB compileShader(GLenum stage, const char* text, const char* fileName,
                          const char* errorPrefix) {
    const GLhandleARB shader = glCreateShaderObjectARB(stage);
    // With no text an empty source is compiled, which fails and is reported below.
    const GLcharARB* source = text != nullptr ? text : "";
    glShaderSourceARB(shader, 1, &source, nullptr);
    glCompileShaderARB(shader);

    GLint compiled = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &compiled);
    if (compiled == 0) {
        std::printf("%s%s\n", errorPrefix, fileName != nullptr ? fileName : "");
        std::fflush(stdout);
        printInfoLog(shader);
    }
    return shader;
}

const char* const vertexError = "Error compiling vertex shader: ";
const char* const fragmentError = "Error compiling fragment shader: ";

} // namespace

GLhandleARB compileVertexShaderText(const char* text, const char* fileName) {
    return compileShader(GL_VERTEX_SHADER_ARB, text, fileName, vertexError);
}

GLhandleARB compileFragmentShaderText(const char* text, const char* fileName) {
    return compileShader(GL_FRAGMENT_SHADER_ARB, text, fileName, fragmentError);
}

GLhandleARB compileVertexShader(const char* fileName) {
    char* text = readTextFile(fileName);
    const GLhandleARB shader = compileVertexShaderText(text, fileName);
    delete[] text;
    return shader;
}

GLhandleARB compileFragmentShader(const char* fileName) {
    char* text = readTextFile(fileName);
    const GLhandleARB shader = compileFragmentShaderText(text, fileName);
    delete[] text;
    return shader;
}

GLhandleARB linkProgram(GLhandleARB vertexShader, GLhandleARB fragmentShader) {
    const GLhandleARB program = glCreateProgramObjectARB();
    glAttachObjectARB(program, vertexShader);
    glAttachObjectARB(program, fragmentShader);
    glLinkProgramARB(program);

    if (!isProgramLinked(program)) {
        std::printf("Error linking shaders.\n");
        std::fflush(stdout);
        printInfoLog(program);
    }
    return program;
}

bool isProgramLinked(GLhandleARB program) {
    GLint linked = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    return linked != 0;
}

void deleteProgramAndShaders(GLhandleARB program, GLhandleARB vertexShader,
                             GLhandleARB fragmentShader) {
    glDetachObjectARB(program, vertexShader);
    glDetachObjectARB(program, fragmentShader);
    glDeleteObjectARB(vertexShader);
    glDeleteObjectARB(fragmentShader);
    glDeleteObjectARB(program);
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
    std::fputs(infoLogAsLines(log).c_str(), stdout);
    std::fflush(stdout);
    delete[] log;
}

std::string infoLogAsLines(const std::string& log) {
    // Mesa's linker appends its messages without a line break between them ("...shadererror:
    // linking..."); a message starts with "error:" or "warning:", which inside a message only
    // ever follows a blank ("0:1(1): error: ...").
    std::string lines;
    lines.reserve(log.size() + 16);
    for (std::size_t i = 0; i < log.size(); ++i) {
        const bool startsMessage =
            log.compare(i, 6, "error:") == 0 || log.compare(i, 8, "warning:") == 0;
        if (startsMessage && i > 0 && !std::isspace(static_cast<unsigned char>(log[i - 1]))) {
            lines += '\n';
        }
        lines += log[i];
    }
    // One line feed at the end, whether the driver ended its log with one or not.
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == '\r')) {
        lines.pop_back();
    }
    return lines.empty() ? lines : lines + '\n';
}

void useProgram(GLhandleARB program) {
    glUseProgramObjectARB(program);
}
