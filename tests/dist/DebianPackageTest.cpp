// The Debian package of this build, made as the README makes it (cpack, the maintainer named in
// the environment), judged by Debian's own lint and unpacked as dpkg lays it out.
#include "about/TVersionInfoResource.h"

#include "TemporaryFolder.h"
#include "about/ElfSectionHeader.h"
#include "e2e/ChildProgram.h"
#include "e2e/ProgramChecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

constexpr auto Patience = 120s;
constexpr const char* Lintian = "/usr/bin/lintian";
constexpr const char* Maintainer = "Package Check <package-check@skyfence.test>";

// Every line the program prints, standard error too, and whether it ended well.
struct Finished {
    std::vector<std::string> lines;
    bool endedWell = false;
};

Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  ChildProgramOptions options = {}) {
    options.readErrors = true;
    ChildProgram child(program, arguments, options);
    Finished run;
    while (const std::optional<std::string> line = child.ReadLine(Patience)) {
        run.lines.push_back(*line);
    }
    run.endedWell = EndedWell(child.Wait(Patience));
    return run;
}

Finished MakePackage(const std::string& folder, const std::map<std::string, std::string>& builder) {
    ChildProgramOptions options;
    options.environment = builder;
    return RunToEnd(
        SKYFENCE_CPACK,
        {"-G", "DEB", "--config", SKYFENCE_BUILD_DIR "/CPackConfig.cmake", "-B", folder}, options);
}

std::vector<std::string> Packages(const std::string& folder) {
    std::vector<std::string> packages = FolderEntries(folder);
    std::erase_if(packages, [](const std::string& name) { return !name.ends_with(".deb"); });
    return packages;
}

class DebianPackage : public testing::Test {
protected:
    void SetUp() override {
        ::chmod(folder.Path().c_str(), 0755);
        const Finished made = MakePackage(folder.Path(), {{"DEBEMAIL", Maintainer}});
        ASSERT_TRUE(made.endedWell) << testing::PrintToString(made.lines);
        const std::vector<std::string> packages = Packages(folder.Path());
        ASSERT_EQ(packages.size(), 1u);
        // The README's name for it, whatever the architecture.
        EXPECT_TRUE(packages.front().starts_with("skyfence_" SKYFENCE_VERSION "_"));
        package = folder.File(packages.front());
    }

    TemporaryFolder folder;
    std::string package;
};

TEST_F(DebianPackage, LintianHasNothingToSay) {
    if (!std::filesystem::exists(Lintian)) {
        GTEST_SKIP() << "lintian is not installed; scripts/install-deps installs it";
    }
    // Its notes too: the hardening it misses (BINDNOW, fortified functions) is told only there.
    // Not its spelling notes on the programs: it reads the 16-byte constants the compiler makes
    // of string literals as text, and finds words run together where two of them meet.
    ChildProgramOptions options;
    options.unprivileged = true;
    const Finished lint = RunToEnd(
        Lintian, {"--display-info", "--suppress-tags", "spelling-error-in-binary", package},
        options);
    EXPECT_EQ(lint.lines, std::vector<std::string>());
    EXPECT_TRUE(lint.endedWell);
}

TEST_F(DebianPackage, NamesTheMaintainerWhoMadeItAndNoHomepage) {
    const Finished fields =
        RunToEnd("/usr/bin/dpkg-deb", {"--field", package, "Maintainer", "Homepage"});
    EXPECT_EQ(fields.lines, std::vector<std::string>{std::string("Maintainer: ") + Maintainer});
}

// What the About box reads of the program's own file.
TEST_F(DebianPackage, StrippedProgramKeepsItsVersionBlock) {
    const std::string unpacked = folder.File("unpacked");
    ASSERT_TRUE(RunToEnd("/usr/bin/dpkg-deb", {"--extract", package, unpacked}).endedWell);
    const std::string program = unpacked + "/usr/bin/skyfence";
    EXPECT_FALSE(FindElfSection(ReadFileBytes(program), ".symtab"));
    TVersionInfoResource version;
    version.SetFilename(program);
    EXPECT_EQ(version.ProductName(), "Skyfence");
    EXPECT_EQ(version.FileVersionInfo().AsText(), SKYFENCE_VERSION);
}

TEST(DebianPackageMaintainer, IsAskedForNotMadeUp) {
    const TemporaryFolder folder;
    const Finished made = MakePackage(folder.Path(), {{"DEBEMAIL", ""}, {"DEBFULLNAME", ""}});
    EXPECT_FALSE(made.endedWell);
    EXPECT_NE(testing::PrintToString(made.lines).find("DEBEMAIL"), std::string::npos);
    EXPECT_EQ(Packages(folder.Path()), std::vector<std::string>());
}

} // namespace
