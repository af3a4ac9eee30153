#include "platform/VersionResourceFile.h"
#include "ElfSectionHeader.h"
#include "PeImage.h"
#include "TemporaryFolder.h"
#include "platform/ExecutablePath.h"
#include "platform/VersionResource.h"
#include "tools/versionres/VersionBlockWriter.h"
#include "tools/versionres/VersionDescription.h"

#include <gtest/gtest.h>

namespace {

std::string ProductName(const std::vector<std::uint8_t>& block, const char* translation) {
    const auto value =
        VerQueryValue(block, std::string("\\StringFileInfo\\") + translation + "\\ProductName");
    return value ? VersionStringText(*value, 65001) : "<none>";
}

std::vector<std::uint8_t> SmallBlock() {
    return WriteVersionBlock(
        ParseVersionDescription("@Translation = 0809 04E4\nProductName = Skyfence"));
}

std::string AsString(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class OwnExecutables : public testing::TestWithParam<std::string> {};

TEST_P(OwnExecutables, CarryTheProgramsBlockInTheirSection) {
    const std::vector<std::uint8_t> block = ReadVersionBlockOfFile(GetParam());
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(GetFileVersionInfoSize(GetParam()), block.size());
    EXPECT_EQ(ProductName(block, "080904E4"), "Skyfence");
    EXPECT_TRUE(VerQueryValue(block, "\\"));
}

// The block's members are 32-bit aligned from its start: a tool reading the file finds them
// where the format puts them only if the block itself starts on a 32-bit boundary of the file.
TEST_P(OwnExecutables, PlaceTheBlockOnA32BitBoundaryOfTheFile) {
    const std::string content = ReadFileBytes(GetParam());
    const auto section = FindElfSection(content, VersionSectionName);
    ASSERT_TRUE(section);
    EXPECT_GE(section->alignment, 4u);
    EXPECT_EQ(section->offset % 4, 0u) << "at " << section->offset;
    const std::vector<std::uint8_t> block = ReadVersionBlockOfFile(GetParam());
    ASSERT_GE(section->size, block.size());
    EXPECT_EQ(content.substr(section->offset, block.size()), AsString(block));
}

INSTANTIATE_TEST_SUITE_P(Programs, OwnExecutables,
                         testing::Values(ExecutablePath(), std::string(SKYFENCE_PROGRAM)));

TEST(PeFiles, FixturesGiveTheirBlocks) {
    const std::string data = SKYFENCE_ABOUT_DATA_DIR;
    const std::vector<std::uint8_t> program = ReadVersionBlockOfFile(data + "/program.exe");
    EXPECT_EQ(ProductName(program, "080904E4"), "Skyfence");
    const std::vector<std::uint8_t> library = ReadVersionBlockOfFile(data + "/library.dll");
    EXPECT_EQ(ProductName(library, "00000000"), "Fixture Library");
}

TEST(PeFiles, FilesWithoutABlockGiveNone) {
    const TemporaryFolder folder;
    WriteFileBytes(folder.File("text"), "just some text");
    WriteFileBytes(folder.File("empty"), "");
    for (const std::string& path :
         {folder.File("missing"), folder.File("text"), folder.File("empty"), folder.Path()}) {
        EXPECT_EQ(GetFileVersionInfoSize(path), 0u) << path;
        std::vector<std::uint8_t> data;
        EXPECT_FALSE(GetFileVersionInfo(path, data)) << path;
    }
}

// The reader is handed every prefix of the file and every damaged byte of its headers and
// resource tree; it may find the block or not, but must stay within the file.
TEST(PeFiles, TruncatedOrCorruptedFilesAreReadSafely) {
    const TemporaryFolder folder;
    const std::string path = folder.File("damaged.exe");
    const std::vector<std::uint8_t> image = MakePeImage(SmallBlock());
    for (std::size_t size = 0; size < PeResourceOffset + 0x100; size += 7) {
        WriteFileBytes(
            path, AsString({image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size)}));
        const std::vector<std::uint8_t> block = ReadVersionBlockOfFile(path);
        EXPECT_TRUE(block.empty() || block.size() >= 6);
    }
    for (std::size_t at = 0; at < PeResourceOffset + 0x80; ++at) {
        std::vector<std::uint8_t> bad = image;
        bad[at] ^= 0xFF;
        WriteFileBytes(path, AsString(bad));
        const std::vector<std::uint8_t> block = ReadVersionBlockOfFile(path);
        if (!block.empty()) {
            VerQueryValue(block, "\\StringFileInfo\\080904E4\\ProductName");
        }
    }
    std::vector<std::uint8_t> hostile = image;
    hostile[PeResourceOffset + 0x64 + 3] = 0x7F; // a data size far beyond the file
    WriteFileBytes(path, AsString(hostile));
    EXPECT_TRUE(ReadVersionBlockOfFile(path).empty());
}

TEST(ElfFiles, DamagedSectionTablesGiveNoneOrTheBlock) {
    const TemporaryFolder folder;
    const std::string path = folder.File("damaged");
    const std::string own = ReadFileBytes(ExecutablePath());
    // The ELF header's section-table fields, and a cut before the section table.
    for (std::size_t at = 0x28; at < 0x40; ++at) {
        std::string bad = own;
        bad[at] = static_cast<char>(bad[at] ^ 0xFF);
        WriteFileBytes(path, bad);
        ReadVersionBlockOfFile(path);
    }
    WriteFileBytes(path, own.substr(0, own.size() / 2));
    EXPECT_TRUE(ReadVersionBlockOfFile(path).empty());
}

} // namespace
