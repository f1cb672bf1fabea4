#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A JSON text parsed into a compact read-only tree for the scene file reader: one small node
// per value in one array, strings and keys in one pool. A general-purpose DOM allocates for
// every value and keeps objects in maps, which made reading a world of 100,000 bodies cost
// seconds; this costs a fraction of building that world. Parsing also refuses what a DOM
// would hide: a key given twice, nesting beyond a depth limit.
class k_JsonTree {
public:
    enum class Type : std::uint8_t {
        null,
        boolean,
        integer,
        hugeInteger,
        real,
        string,
        array,
        object
    };
    static constexpr std::uint32_t none = 0xFFFFFFFFu;

    struct Node {
        Type type = Type::null;
        bool boolean = false;
        std::uint32_t next = none;
        /// The key of an object's member, in the pool.
        std::uint32_t keyOffset = 0;
        std::uint32_t keyLength = 0;
        union {
            std::int64_t integer;
            std::uint64_t hugeInteger;
            double real;
            struct {
                std::uint32_t offset;
                std::uint32_t length;
            } text;
            struct {
                std::uint32_t first;
                std::uint32_t count;
            } children;
        };
        Node() : integer(0) {}
    };

    /// A handle on one value of the tree.
    class Value {
    public:
        Value(const k_JsonTree* tree, std::uint32_t index) : tree(tree), index(index) {}
        Type type() const { return node().type; }
        bool isObject() const { return type() == Type::object; }
        bool isArray() const { return type() == Type::array; }
        bool isString() const { return type() == Type::string; }
        bool isBoolean() const { return type() == Type::boolean; }
        bool isNumber() const {
            return type() == Type::integer || type() == Type::hugeInteger || type() == Type::real;
        }
        bool isInteger() const { return type() == Type::integer || type() == Type::hugeInteger; }
        /// Members or elements of an object or array; 0 for anything else.
        std::size_t size() const;
        double number() const;
        std::int64_t integer() const { return node().integer; }
        std::uint64_t hugeInteger() const { return node().hugeInteger; }
        bool boolean() const { return node().boolean; }
        std::string_view text() const;
        /// The key under which this value is a member of an object.
        std::string_view key() const;
        /// The i-th element or member; i must be below size().
        Value operator[](std::size_t i) const;
        /// The member named `name`, or a value with index `none`.
        Value find(std::string_view name) const;
        bool exists() const { return index != none; }

        class Iterator {
        public:
            Iterator(const k_JsonTree* tree, std::uint32_t index) : tree(tree), index(index) {}
            Value operator*() const { return Value(tree, index); }
            Iterator& operator++() {
                index = tree->nodes[index].next;
                return *this;
            }
            bool operator!=(const Iterator& other) const { return index != other.index; }

        private:
            const k_JsonTree* tree;
            std::uint32_t index;
        };
        Iterator begin() const;
        Iterator end() const { return Iterator(tree, none); }

    private:
        const Node& node() const { return tree->nodes[index]; }
        const k_JsonTree* tree;
        std::uint32_t index;
    };

    /// Parses `size` bytes. On failure returns false with `errorMessage` set and either
    /// `errorOffset` (the byte where the text went wrong) or, for a refusal of structure (a
    /// key given twice, nesting too deep), `hasErrorPointer` and the place's tokens.
    bool parse(const char* text, std::size_t size, int maxDepth);
    Value root() const { return Value(this, 0); }

    std::size_t errorOffset = 0;
    std::string errorMessage;
    /// The unescaped tokens of the JSON pointer, when hasErrorPointer.
    std::vector<std::string> errorPathTokens;
    bool hasErrorPointer = false;

private:
    friend class k_JsonTreeBuilder;
    std::vector<Node> nodes;
    std::string pool;
};

/// How a number of the tree is said in a message: integers exactly, others with the fewest
/// digits that read back the same.
std::string numberText(const k_JsonTree::Value& value);
