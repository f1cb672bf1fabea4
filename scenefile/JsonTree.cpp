#include "scenefile/JsonTree.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

// What makes `text` other than valid Unicode in UTF-8, or "" when nothing does. The parser
// checks the file's own bytes, but turns an escaped lone surrogate ("\uDE00") into the three
// bytes of a code point that no Unicode text holds; every string is checked whole here so
// that no such text reaches a description.
std::string unicodeFault(const char* text, std::size_t length) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < length;) {
        const unsigned char lead = bytes[i];
        const std::size_t size = lead < 0x80                    ? 1
                                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                 : lead >= 0xE0 && lead <= 0xEF ? 3
                                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                : 0;
        if (size == 0 || i + size > length) {
            return "a byte that is not UTF-8";
        }
        std::uint32_t code = size == 1 ? lead : lead & (0x7Fu >> size);
        for (std::size_t k = 1; k < size; ++k) {
            if ((bytes[i + k] & 0xC0u) != 0x80u) {
                return "a byte that is not UTF-8";
            }
            code = code << 6 | (bytes[i + k] & 0x3Fu);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[size] || code > 0x10FFFF) {
            return "a byte that is not UTF-8";
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(code));
            return std::string("the lone surrogate ") + escape;
        }
        i += size;
    }
    return "";
}

} // namespace

// Fills the tree from the parser's events. Each open container remembers its last child, so
// that a new value is linked in constant time, and what it is called in its parent, so that
// a refusal can say where.
class k_JsonTreeBuilder
    : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, k_JsonTreeBuilder> {
public:
    k_JsonTreeBuilder(k_JsonTree& tree, int maxDepth, const char* start)
        : tree(tree), maxDepth(maxDepth), start(start) {}

    /// Set when a number was refused; errorOffset and errorMessage say where and why.
    bool tooBig = false;

    bool Null() { return add(k_JsonTree::Type::null) != k_JsonTree::none; }
    bool Bool(bool value) {
        const std::uint32_t index = add(k_JsonTree::Type::boolean);
        tree.nodes[index].boolean = value;
        return true;
    }
    // Numbers come as their text and are converted here: the parser's own full-precision
    // conversion offsets a null pointer (undefined behaviour) on its first use. from_chars
    // gives the double nearest the text, as strtod would.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        const char* end = text + length;
        const bool whole =
            std::find_if(text, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) == end;
        if (whole) {
            std::int64_t value = 0;
            if (std::from_chars(text, end, value).ec == std::errc()) {
                const std::uint32_t index = add(k_JsonTree::Type::integer);
                tree.nodes[index].integer = value;
                return true;
            }
            std::uint64_t huge = 0;
            if (text[0] != '-' && std::from_chars(text, end, huge).ec == std::errc()) {
                const std::uint32_t index = add(k_JsonTree::Type::hugeInteger);
                tree.nodes[index].hugeInteger = huge;
                return true;
            }
        }
        double value = 0.0;
        if (std::from_chars(text, end, value).ec != std::errc()) {
            // Out of range either way: strtod tells a number too large (infinite) from one
            // too small, which is as good as zero.
            value = std::strtod(std::string(text, length).c_str(), nullptr);
            if (!std::isfinite(value)) {
                tree.errorOffset = static_cast<std::size_t>(text - start);
                tree.errorMessage = "Number too big to be stored in double.";
                tooBig = true;
                return false;
            }
        }
        const std::uint32_t index = add(k_JsonTree::Type::real);
        tree.nodes[index].real = value;
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        const std::string fault = unicodeFault(text, length);
        if (!fault.empty()) {
            refuse("must be text in valid Unicode, not one holding " + fault);
            appendNextToken();
            return false;
        }
        const std::uint32_t index = add(k_JsonTree::Type::string);
        tree.nodes[index].text.offset = static_cast<std::uint32_t>(tree.pool.size());
        tree.nodes[index].text.length = length;
        tree.pool.append(text, length);
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        // The key cannot name its own place: the message names its object.
        const std::string fault = unicodeFault(text, length);
        if (!fault.empty()) {
            refuse("a key must be text in valid Unicode, not one holding " + fault);
            return false;
        }
        pendingKeyOffset = static_cast<std::uint32_t>(tree.pool.size());
        pendingKeyLength = length;
        tree.pool.append(text, length);
        return true;
    }
    bool StartObject() { return open(k_JsonTree::Type::object); }
    bool StartArray() { return open(k_JsonTree::Type::array); }
    bool EndObject(rapidjson::SizeType) {
        const bool unique = keysAreUnique(open_.back().node);
        open_.pop_back();
        return unique;
    }
    bool EndArray(rapidjson::SizeType) {
        open_.pop_back();
        return true;
    }

private:
    struct Open {
        std::uint32_t node;
        std::uint32_t lastChild;
        std::uint32_t count;
    };

    std::uint32_t add(k_JsonTree::Type type) {
        const std::uint32_t index = static_cast<std::uint32_t>(tree.nodes.size());
        tree.nodes.emplace_back();
        k_JsonTree::Node& node = tree.nodes.back();
        node.type = type;
        if (!open_.empty()) {
            Open& parent = open_.back();
            if (tree.nodes[parent.node].type == k_JsonTree::Type::object) {
                node.keyOffset = pendingKeyOffset;
                node.keyLength = pendingKeyLength;
            }
            if (parent.lastChild == k_JsonTree::none) {
                tree.nodes[parent.node].children.first = index;
            } else {
                tree.nodes[parent.lastChild].next = index;
            }
            parent.lastChild = index;
            ++parent.count;
            tree.nodes[parent.node].children.count = parent.count;
        }
        return index;
    }

    bool open(k_JsonTree::Type type) {
        if (static_cast<int>(open_.size()) >= maxDepth) {
            refuse("nests deeper than " + std::to_string(maxDepth) + " levels");
            appendNextToken();
            return false;
        }
        const std::uint32_t index = add(type);
        tree.nodes[index].children.first = k_JsonTree::none;
        tree.nodes[index].children.count = 0;
        open_.push_back(Open{index, k_JsonTree::none, 0});
        return true;
    }

    // The tokens naming the places of the open containers below the root, from the top down.
    std::vector<std::string> pathTo(std::size_t depth) const {
        std::vector<std::string> path;
        for (std::size_t level = 1; level < depth; ++level) {
            path.push_back(tokenOf(open_[level - 1], open_[level].node));
        }
        return path;
    }
    std::string tokenOf(const Open& parent, std::uint32_t child) const {
        if (tree.nodes[parent.node].type == k_JsonTree::Type::object) {
            const k_JsonTree::Node& node = tree.nodes[child];
            return tree.pool.substr(node.keyOffset, node.keyLength);
        }
        std::uint32_t position = 0;
        for (std::uint32_t i = tree.nodes[parent.node].children.first; i != child;
             i = tree.nodes[i].next) {
            ++position;
        }
        return std::to_string(position);
    }
    // The place of the container that was about to open, below every open one.
    void appendNextToken() {
        if (open_.empty()) {
            return;
        }
        const Open& parent = open_.back();
        if (tree.nodes[parent.node].type == k_JsonTree::Type::object) {
            tree.errorPathTokens.push_back(tree.pool.substr(pendingKeyOffset, pendingKeyLength));
        } else {
            tree.errorPathTokens.push_back(std::to_string(parent.count));
        }
    }
    // The place is every open container's, below the root; the caller adds the last token.
    void refuse(const std::string& rule) {
        tree.errorPathTokens = pathTo(open_.size());
        tree.errorMessage = rule;
        tree.hasErrorPointer = true;
    }

    // Small objects by pairs, large ones sorted: an object of a million members must not cost
    // a million squared comparisons.
    bool keysAreUnique(std::uint32_t object) {
        std::vector<std::string_view> keys;
        keys.reserve(tree.nodes[object].children.count);
        for (std::uint32_t i = tree.nodes[object].children.first; i != k_JsonTree::none;
             i = tree.nodes[i].next) {
            keys.emplace_back(tree.pool.data() + tree.nodes[i].keyOffset, tree.nodes[i].keyLength);
        }
        std::string_view twice;
        bool found = false;
        if (keys.size() <= 16) {
            for (std::size_t a = 0; a < keys.size() && !found; ++a) {
                for (std::size_t b = a + 1; b < keys.size() && !found; ++b) {
                    found = keys[a] == keys[b];
                    twice = keys[b];
                }
            }
        } else {
            std::sort(keys.begin(), keys.end());
            const auto same = std::adjacent_find(keys.begin(), keys.end());
            found = same != keys.end();
            twice = found ? *same : std::string_view();
        }
        if (found) {
            const std::string key(twice);
            refuse("is given twice");
            tree.errorPathTokens.push_back(key);
        }
        return !found;
    }

    k_JsonTree& tree;
    int maxDepth;
    const char* start;
    std::vector<Open> open_;
    std::uint32_t pendingKeyOffset = 0;
    std::uint32_t pendingKeyLength = 0;
};

bool k_JsonTree::parse(const char* text, std::size_t size, int maxDepth) {
    nodes.clear();
    pool.clear();
    errorPathTokens.clear();
    errorMessage.clear();
    hasErrorPointer = false;
    errorOffset = 0;
    // A rough guess from typical files (a value per 6 bytes) saves most reallocations.
    nodes.reserve(size / 6 + 1);
    // In place, on a copy: strings and numbers are then handed over where they stand, and
    // the parser needs no stack of its own, whose first growth offsets a null pointer. The
    // copy ends in four NUL bytes, not one: the parser's UTF-8 check takes every byte a lead
    // byte announces before judging them, so a text that ends inside a character would
    // otherwise be read past its end.
    std::string buffer(size + 4, '\0');
    if (size > 0) {
        std::memcpy(buffer.data(), text, size);
    }
    rapidjson::InsituStringStream stream(buffer.data());
    k_JsonTreeBuilder builder(*this, maxDepth, buffer.data());
    rapidjson::Reader reader;
    const rapidjson::ParseResult result =
        reader.Parse<rapidjson::kParseInsituFlag | rapidjson::kParseNumbersAsStringsFlag |
                     rapidjson::kParseValidateEncodingFlag>(stream, builder);
    if (hasErrorPointer || builder.tooBig) {
        return false;
    }
    if (result.IsError()) {
        errorOffset = result.Offset();
        errorMessage = rapidjson::GetParseError_En(result.Code());
        return false;
    }
    // The stream takes a NUL byte for the end of the text; one within it is not JSON.
    if (stream.Tell() < size) {
        errorOffset = stream.Tell();
        errorMessage = "A NUL byte is not allowed in JSON text.";
        return false;
    }
    return true;
}

std::size_t k_JsonTree::Value::size() const {
    const Node& n = node();
    return n.type == Type::array || n.type == Type::object ? n.children.count : 0;
}

double k_JsonTree::Value::number() const {
    const Node& n = node();
    switch (n.type) {
    case Type::integer:
        return static_cast<double>(n.integer);
    case Type::hugeInteger:
        return static_cast<double>(n.hugeInteger);
    default:
        return n.real;
    }
}

std::string_view k_JsonTree::Value::text() const {
    const Node& n = node();
    return std::string_view(tree->pool.data() + n.text.offset, n.text.length);
}

std::string_view k_JsonTree::Value::key() const {
    const Node& n = node();
    return std::string_view(tree->pool.data() + n.keyOffset, n.keyLength);
}

k_JsonTree::Value k_JsonTree::Value::operator[](std::size_t i) const {
    std::uint32_t child = node().children.first;
    for (std::size_t k = 0; k < i; ++k) {
        child = tree->nodes[child].next;
    }
    return Value(tree, child);
}

k_JsonTree::Value k_JsonTree::Value::find(std::string_view name) const {
    if (node().type == Type::object) {
        for (std::uint32_t child = node().children.first; child != none;
             child = tree->nodes[child].next) {
            if (Value(tree, child).key() == name) {
                return Value(tree, child);
            }
        }
    }
    return Value(tree, none);
}

k_JsonTree::Value::Iterator k_JsonTree::Value::begin() const {
    const Node& n = node();
    return Iterator(tree,
                    n.type == Type::array || n.type == Type::object ? n.children.first : none);
}

std::string numberText(const k_JsonTree::Value& value) {
    if (value.type() == k_JsonTree::Type::integer) {
        return std::to_string(value.integer());
    }
    if (value.type() == k_JsonTree::Type::hugeInteger) {
        return std::to_string(value.hugeInteger());
    }
    char text[48];
    const auto end = std::to_chars(text, text + sizeof text, value.number());
    return std::string(text, end.ptr);
}
