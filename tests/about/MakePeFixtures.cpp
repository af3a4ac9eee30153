// Writes the PE files the reader tests read: run from tests/about/data after changing them.
#include "PeImage.h"
#include "tools/versionres/VersionBlockWriter.h"
#include "tools/versionres/VersionDescription.h"

#include <fstream>

namespace {

void Write(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main() {
    // A program as the platform's tools would build ours.
    const VersionDescription program = ParseVersionDescription(R"(
@FileVersion = 1.0.0.5
@ProductVersion = 1.0.0.5
@Translation = 0809 04E4
CompanyName = Quillmoor Software
FileVersion = 1.0.0.5
ProductName = Skyfence
ProductVersion = 1.0
Comments = 2007 Oct 03
Web site = http://www.quillmoor.example/skyfence
)");
    Write("program.exe", MakePeImage(WriteVersionBlock(program)));

    // A 64-bit library with an unset translation, a special build, and no "FileVersion" text.
    const VersionDescription library = ParseVersionDescription(R"(
@FileVersion = 2.3.4.5
@ProductVersion = 2.3.0.0
@FileFlags = 20
@Translation = 0000 0000
ProductName = Fixture Library
)");
    PeImageOptions options;
    options.plus = true;
    options.namedTypeFirst = true;
    options.language = 0;
    Write("library.dll", MakePeImage(WriteVersionBlock(library), options));
    return 0;
}
