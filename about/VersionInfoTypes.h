#pragma once

#include <array>
#include <bitset>

// The predefined string entries of a version resource, by ordinal.
enum TPreDef {
    pdCompanyName,
    pdFileDescription,
    pdFileVersion,
    pdInternalName,
    pdLegalCopyright,
    pdLegalTrademarks,
    pdOriginalFilename,
    pdProductName,
    pdProductVersion,
    pdComments,
    pdBuildFlags,
};
inline constexpr int PreDefCount = 11;
using TPreDefs = std::bitset<PreDefCount>;

inline constexpr std::array<const char*, PreDefCount> PreDefKeys = {
    "CompanyName",    "FileDescription", "FileVersion",      "InternalName",
    "LegalCopyright", "LegalTrademarks", "OriginalFilename", "ProductName",
    "ProductVersion", "Comments",        "BuildFlags"};

inline constexpr std::array<const char*, PreDefCount> PreDefNames = {
    "Company Name",    "File Description", "File Version",      "Internal Name",
    "Legal Copyright", "Legal Trademarks", "Original Filename", "Product Name",
    "Product Version", "Comments",         "Build Flags"};

TPreDefs PreDefsOf(std::initializer_list<TPreDef> elements);

// The file flags, in set-bit order (not the order of the platform's values).
enum TFileFlag { ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild, ffSpecialBuild };
inline constexpr int FileFlagCount = 6;
using TFileFlags = std::bitset<FileFlagCount>;

inline constexpr std::array<unsigned, FileFlagCount> FileFlagValues = {1, 16, 4, 2, 8, 32};
inline constexpr std::array<const char*, FileFlagCount> FileFlagNames = {
    "Debug", "Info Inferred", "Patched", "Pre-Release", "Private", "Special"};

inline constexpr const char* ListViewResourceHeader = "Resource";
inline constexpr const char* ListViewValueHeader = "Value";

inline TPreDefs PreDefsOf(std::initializer_list<TPreDef> elements) {
    TPreDefs set;
    for (const TPreDef element : elements) {
        set.set(static_cast<std::size_t>(element));
    }
    return set;
}
