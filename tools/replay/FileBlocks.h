#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Hands the bytes of the file at `path` to `onBlock` in blocks of `blockSize` bytes (the last
// one shorter), read as they are needed so that a log of any length fits. Raises EFileError
// naming the file when it cannot be read; the blocks before the failure have been handed out.
void ForEachFileBlock(const std::string& path, std::size_t blockSize,
                      const std::function<void(const std::string& block)>& onBlock);
