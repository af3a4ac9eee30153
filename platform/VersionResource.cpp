#include "VersionResource.h"

#include "Utf16Text.h"
#include "VersionResourceFile.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t NodeHeaderSize = 6; // wLength, wValueLength, wType
constexpr std::uint16_t TextValue = 1;
constexpr std::size_t FixedInfoSize = 52;
constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BD;

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

// One node of the block; every offset is within the block and within its parent.
struct Node {
    std::size_t end = 0;
    std::u16string key;
    std::size_t valueStart = 0;
    std::size_t valueSize = 0;
    std::size_t childrenStart = 0;
};

std::optional<Node> ParseNode(std::span<const std::uint8_t> block, std::size_t at,
                              std::size_t limit) {
    if (at + NodeHeaderSize > limit) {
        return std::nullopt;
    }
    const std::size_t length = ReadU16(block, at);
    if (length < NodeHeaderSize || at + length > limit) {
        return std::nullopt;
    }
    Node node;
    node.end = at + length;
    std::size_t p = at + NodeHeaderSize;
    for (;; p += 2) {
        if (p + 2 > node.end) {
            return std::nullopt; // key without its terminating zero
        }
        const char16_t c = ReadU16(block, p);
        if (c == 0) {
            break;
        }
        node.key += c;
    }
    const std::size_t valueLength = ReadU16(block, at + 2);
    // Text lengths count characters; some writers count bytes, so the node's end bounds either.
    const std::size_t valueBytes =
        ReadU16(block, at + 4) == TextValue ? valueLength * 2 : valueLength;
    node.valueStart = std::min(Align4(p + 2), node.end);
    node.valueSize = std::min(valueBytes, node.end - node.valueStart);
    node.childrenStart = std::min(Align4(node.valueStart + node.valueSize), node.end);
    return node;
}

bool SameKey(std::u16string_view key, std::string_view wanted) {
    if (key.size() != wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char16_t c = key[i];
        if (c > 0x7F || std::tolower(static_cast<unsigned char>(c)) !=
                            std::tolower(static_cast<unsigned char>(wanted[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<Node> FindChild(std::span<const std::uint8_t> block, const Node& parent,
                              std::string_view key) {
    std::size_t at = parent.childrenStart;
    while (at + NodeHeaderSize <= parent.end) {
        const std::optional<Node> child = ParseNode(block, at, parent.end);
        if (!child) {
            return std::nullopt;
        }
        if (SameKey(child->key, key)) {
            return child;
        }
        at = Align4(child->end); // a node's length is never 0 here, so this moves on
    }
    return std::nullopt;
}

std::vector<std::string_view> PathParts(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path.remove_prefix(slash + 1);
    }
    return parts;
}

} // namespace

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(ReadU16(bytes, offset)) |
           (static_cast<std::uint32_t>(ReadU16(bytes, offset + 2)) << 16);
}

std::uint32_t GetFileVersionInfoSize(const std::string& path) {
    return static_cast<std::uint32_t>(ReadVersionBlockOfFile(path).size());
}

bool GetFileVersionInfo(const std::string& path, std::vector<std::uint8_t>& data) {
    data = ReadVersionBlockOfFile(path);
    return !data.empty();
}

std::optional<std::span<const std::uint8_t>> VerQueryValue(std::span<const std::uint8_t> block,
                                                           std::string_view path) {
    std::optional<Node> node = ParseNode(block, 0, block.size());
    if (!node || !SameKey(node->key, "VS_VERSION_INFO")) {
        return std::nullopt;
    }
    const std::vector<std::string_view> parts = PathParts(path);
    if (parts.empty()) {
        // The fixed block is only handed out whole and signed.
        if (node->valueSize < FixedInfoSize ||
            ReadU32(block, node->valueStart) != FixedInfoSignature) {
            return std::nullopt;
        }
        return block.subspan(node->valueStart, node->valueSize);
    }
    for (const std::string_view part : parts) {
        node = FindChild(block, *node, part);
        if (!node) {
            return std::nullopt;
        }
    }
    return block.subspan(node->valueStart, node->valueSize);
}

std::string VersionStringText(std::span<const std::uint8_t> value, int codePage) {
    std::u16string text;
    for (std::size_t i = 0; i + 2 <= value.size(); i += 2) {
        const char16_t c = ReadU16(value, i);
        if (c == 0) {
            break;
        }
        text += c;
    }
    return Utf16ToCodePage(text, codePage);
}

std::string VersionStringText(std::span<const std::uint8_t> value) {
    return VersionStringText(value, CurrentCodePage());
}
