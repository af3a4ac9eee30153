#include "FileBlocks.h"

#include "platform/Exception.h"
#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void ForEachFileBlock(const std::string& path, std::size_t blockSize,
                      const std::function<void(const std::string& block)>& onBlock) {
    if (blockSize == 0) {
        throw Exception("A block must hold at least one byte");
    }
    const auto fail = [&path](int error) {
        throw EFileError(FileErrorText("read file", path, error));
    };
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) {
        fail(errno);
    }
    // Reads go in chunks of their own size; blocks are cut from them, so a block of one byte
    // costs no system call and a huge block is read in pieces.
    std::array<char, 64 * 1024> chunk{};
    std::string block;
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail(errno);
        }
        if (got == 0) {
            break;
        }
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::size_t take =
                std::min(blockSize - block.size(), static_cast<std::size_t>(got) - at);
            block.append(chunk.data() + at, take);
            at += take;
            if (block.size() == blockSize) {
                onBlock(block);
                block.clear();
            }
        }
    }
    if (!block.empty()) {
        onBlock(block);
    }
}
