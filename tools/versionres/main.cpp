// Turns a version description into a C++ source that puts the version block into the ELF
// section the reader looks for, so the executable file itself carries it.
#include "VersionBlockWriter.h"
#include "VersionDescription.h"
#include "platform/Exception.h"
#include "platform/FileContent.h"
#include "platform/VersionResourceFile.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: skyfence-versionres DESCRIPTION OUTPUT.cpp\n";
        return 2;
    }
    try {
        std::string text;
        if (const int error = ReadFileContent(argv[1], 1 << 16, text); error != 0) {
            throw Exception(std::string("cannot read ") + argv[1]);
        }
        const std::vector<std::uint8_t> block = WriteVersionBlock(ParseVersionDescription(text));
        std::ofstream out(argv[2], std::ios::trunc);
        // An allocated section of its own, kept by the linker like any other of the object. The
        // block's members lie on 32-bit boundaries counted from its start, so readers of the file
        // expect the block itself on one: the section is 4-aligned, in memory and in the file.
        out << "// Made by skyfence-versionres from " << argv[1] << "; do not edit.\n"
            << "asm(\".pushsection " << VersionSectionName << ",\\\"a\\\"\\n\"\n"
            << "    \".balign 4\\n\"\n";
        for (std::size_t i = 0; i < block.size(); i += 16) {
            out << "    \".byte ";
            for (std::size_t k = i; k < block.size() && k < i + 16; ++k) {
                out << (k > i ? "," : "") << static_cast<int>(block[k]);
            }
            out << "\\n\"\n";
        }
        out << "    \".popsection\\n\");\n";
        if (!out.flush()) {
            throw Exception(std::string("cannot write ") + argv[2]);
        }
    } catch (const Exception& error) {
        std::cerr << "skyfence-versionres: " << error.Message() << '\n';
        return 1;
    }
    return 0;
}
