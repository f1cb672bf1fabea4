#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

// Linked programs kept across scene loads. Every load builds the scene anew from the same two
// shader files; reusing the program object it linked last time spares the compile, the link
// and, above all, the driver's translation of the program on its first draw, which otherwise
// delays the first frame of every load.
//
// Entries are keyed by the full texts of both stages, so an edited file makes a new program at
// the next load, and by the context they were linked in, since names mean nothing in another
// one. The cache owns its programs and their shader objects; nodes take and give back uses.
// Entries nobody uses stay for reuse, but only the most recently used few: older ones are
// deleted, and only while their context is current (at exit nothing is deleted; the context
// takes the objects with it). Only programs that linked are ever added, so a broken pair is
// built, and reported, at every load.
class k_ShaderProgramCache {
public:
    struct Program {
        GLhandleARB program;
        GLhandleARB vertexShader;
        GLhandleARB fragmentShader;
    };
    /// A use of an entry; 0 is no use.
    using Use = std::uint64_t;

    /// How many entries without users are kept.
    static constexpr std::size_t maxUnused = 2;

    /// The process's cache. It is never destroyed, so nodes deleted during exit can still give
    /// their uses back.
    static k_ShaderProgramCache& instance();

    /// Takes a use of the program linked from exactly these texts in the current context and
    /// stores it in `found`; 0 when there is none (also with no context or a null text).
    Use acquire(const char* vertexText, const char* fragmentText, Program* found);
    /// Takes over a program linked from these texts in the current context and returns its
    /// first use. The caller has checked that it linked.
    Use adopt(const char* vertexText, const char* fragmentText, const Program& program);
    /// Gives back a use; unknown uses and 0 are ignored.
    void release(Use use);

    std::size_t size() const { return entries.size(); }
    std::size_t unusedCount() const;

    k_ShaderProgramCache(const k_ShaderProgramCache&) = delete;
    k_ShaderProgramCache& operator=(const k_ShaderProgramCache&) = delete;

private:
    k_ShaderProgramCache() = default;

    struct Entry {
        Use id;
        const void* context;
        std::string vertexText;
        std::string fragmentText;
        Program program;
        int users;
        std::uint64_t lastUse;
    };

    /// Deletes the least recently used unused entries beyond maxUnused.
    void trim();

    std::list<Entry> entries;
    Use nextId = 1;
    std::uint64_t clock = 0;
};
