#include "VersionBlockWriter.h"

#include "platform/Exception.h"
#include "platform/Utf16Text.h"

#include <cstdio>
#include <string>

namespace {

constexpr std::uint16_t BinaryValue = 0;
constexpr std::uint16_t TextValue = 1;

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

void Pad4(Bytes& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

// One node; every node starts 4-aligned, so padding inside it is aligned in the block too.
Bytes Node(const std::string& key, std::uint16_t type, const Bytes& value,
           std::uint16_t valueLength, const std::vector<Bytes>& children) {
    Bytes out(6, 0);
    for (const char16_t c : Utf8ToUtf16(key)) {
        PutU16(out, c);
    }
    PutU16(out, 0);
    Pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Pad4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF) {
        throw Exception("version entry \"" + key + "\" is too long");
    }
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(valueLength);
    out[3] = static_cast<std::uint8_t>(valueLength >> 8);
    out[4] = static_cast<std::uint8_t>(type);
    out[5] = 0;
    return out;
}

Bytes StringNode(const std::string& key, const std::string& value) {
    Bytes text;
    const std::u16string wide = Utf8ToUtf16(value);
    for (const char16_t c : wide) {
        PutU16(text, c);
    }
    PutU16(text, 0);
    // Text value lengths count characters, the terminating zero included.
    return Node(key, TextValue, text, static_cast<std::uint16_t>(wide.size() + 1), {});
}

Bytes FixedInfo(const VersionDescription& d) {
    Bytes out;
    PutU32(out, 0xFEEF04BD); // signature
    PutU32(out, 0x00010000); // structure version 1.0
    PutU32(out, d.fileVersionMS);
    PutU32(out, d.fileVersionLS);
    PutU32(out, d.productVersionMS);
    PutU32(out, d.productVersionLS);
    PutU32(out, 0x3F); // flag mask: the six defined flags
    PutU32(out, d.fileFlags);
    PutU32(out, 0x00040004); // 32-bit Windows NT, as the format knows no other for us
    PutU32(out, 1);          // an application
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    return out;
}

} // namespace

std::vector<std::uint8_t> WriteVersionBlock(const VersionDescription& description) {
    char translation[9];
    std::snprintf(translation, sizeof translation, "%.4X%.4X", description.language,
                  description.codePage);
    std::vector<Bytes> strings;
    for (const auto& [key, value] : description.strings) {
        strings.push_back(StringNode(key, value));
    }
    const Bytes table = Node(translation, TextValue, {}, 0, strings);
    std::vector<Bytes> children = {Node("StringFileInfo", TextValue, {}, 0, {table})};
    if (description.hasTranslation) {
        Bytes pair;
        PutU16(pair, description.language);
        PutU16(pair, description.codePage);
        const Bytes var = Node("Translation", BinaryValue, pair, 4, {});
        children.push_back(Node("VarFileInfo", TextValue, {}, 0, {var}));
    }
    const Bytes fixed = FixedInfo(description);
    return Node("VS_VERSION_INFO", BinaryValue, fixed, static_cast<std::uint16_t>(fixed.size()),
                children);
}
