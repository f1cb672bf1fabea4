#include "scenegraph/ShaderProgramCache.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include "scenegraph/ShaderUtils.h"

namespace {

const void* currentContext() {
    return glXGetCurrentContext();
}

// Whether the entry's objects are still the ones it made. A destroyed context's address may
// come back for a new context, where the same names are unknown or belong to other objects.
bool stillExists(const k_ShaderProgramCache::Program& p) {
    if (glIsProgram == nullptr || glIsShader == nullptr) {
        return true; // no way to ask without raising errors; contexts are not replaced there
    }
    if (!glIsProgram(p.program) || !glIsShader(p.vertexShader) || !glIsShader(p.fragmentShader)) {
        return false;
    }
    GLhandleARB attached[3] = {0, 0, 0};
    GLsizei count = 0;
    glGetAttachedObjectsARB(p.program, 3, &count, attached);
    return count == 2 && ((attached[0] == p.vertexShader && attached[1] == p.fragmentShader) ||
                          (attached[0] == p.fragmentShader && attached[1] == p.vertexShader));
}

bool sharesAName(const k_ShaderProgramCache::Program& a, const k_ShaderProgramCache::Program& b) {
    for (GLhandleARB x : {a.program, a.vertexShader, a.fragmentShader}) {
        for (GLhandleARB y : {b.program, b.vertexShader, b.fragmentShader}) {
            if (x == y) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

k_ShaderProgramCache& k_ShaderProgramCache::instance() {
    static k_ShaderProgramCache* const cache = new k_ShaderProgramCache();
    return *cache;
}

k_ShaderProgramCache::Use k_ShaderProgramCache::acquire(const char* vertexText,
                                                        const char* fragmentText, Program* found) {
    const void* context = currentContext();
    if (vertexText == nullptr || fragmentText == nullptr || context == nullptr) {
        return 0;
    }
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->context != context || it->vertexText != vertexText ||
            it->fragmentText != fragmentText) {
            continue;
        }
        if (!stillExists(it->program)) {
            // Its context is gone and the objects with it: forget, delete nothing.
            entries.erase(it);
            return 0;
        }
        ++it->users;
        it->lastUse = ++clock;
        *found = it->program;
        return it->id;
    }
    return 0;
}

k_ShaderProgramCache::Use k_ShaderProgramCache::adopt(const char* vertexText,
                                                      const char* fragmentText,
                                                      const Program& program) {
    const void* context = currentContext();
    // The driver has just handed out these names, so an entry of this context still holding
    // one of them is left over from a destroyed context at the same address.
    for (auto it = entries.begin(); it != entries.end();) {
        it = it->context == context && sharesAName(it->program, program) ? entries.erase(it)
                                                                         : std::next(it);
    }
    const Use id = nextId++;
    entries.push_back(Entry{id, context, vertexText != nullptr ? vertexText : "",
                            fragmentText != nullptr ? fragmentText : "", program, 1, ++clock});
    return id;
}

void k_ShaderProgramCache::release(Use use) {
    for (Entry& entry : entries) {
        if (entry.id == use && entry.users > 0) {
            --entry.users;
            entry.lastUse = ++clock;
            trim();
            return;
        }
    }
}

std::size_t k_ShaderProgramCache::unusedCount() const {
    std::size_t unused = 0;
    for (const Entry& entry : entries) {
        unused += entry.users == 0 ? 1 : 0;
    }
    return unused;
}

void k_ShaderProgramCache::trim() {
    const void* context = currentContext();
    if (context == nullptr) {
        return; // at exit: nothing can be deleted, and nothing needs to be
    }
    while (unusedCount() > maxUnused) {
        auto oldest = entries.end();
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->users == 0 && (oldest == entries.end() || it->lastUse < oldest->lastUse)) {
                oldest = it;
            }
        }
        // Objects of another context cannot be deleted from here; that context, once
        // destroyed, takes them along.
        if (oldest->context == context && stillExists(oldest->program)) {
            deleteProgramAndShaders(oldest->program.program, oldest->program.vertexShader,
                                    oldest->program.fragmentShader);
        }
        entries.erase(oldest);
    }
}
