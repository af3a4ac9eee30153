#include "WebToken.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Exception.h"
#include "platform/FileContent.h"
#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

// A token is one line; a larger file is not one the user meant.
constexpr std::size_t LargestTokenFile = 4096;
constexpr std::size_t LongestToken = 256;
constexpr std::size_t MadeTokenWords = 4; // 128 bits

std::string FirstLine(const std::string& path) {
    std::string content;
    if (const int error = ReadFileContent(path, LargestTokenFile, content); error != 0) {
        throw EFileError(FileErrorText("read the web page's token file", path, error));
    }
    std::string_view line(content);
    line = line.substr(0, line.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return std::string(TrimBlanks(line));
}

// The token travels in a URL's query and in a header: visible ASCII only.
std::string CheckedToken(std::string token, const std::string& path) {
    const auto visible = [](char c) { return c > ' ' && c < '\x7f'; };
    if (token.empty()) {
        throw Exception("The web page's token file \"" + path +
                        "\" holds no token on its first line.");
    }
    if (token.size() > LongestToken || !std::all_of(token.begin(), token.end(), visible)) {
        throw Exception("The web page's token in \"" + path + "\" must be up to " +
                        std::to_string(LongestToken) +
                        " visible ASCII characters (letters, digits, signs), without blanks.");
    }
    return token;
}

std::string RandomToken() {
    std::array<std::uint32_t, MadeTokenWords> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    static constexpr std::string_view Digits = "0123456789abcdef";
    std::string token;
    for (const std::uint32_t word : words) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            token.push_back(Digits[(word >> shift) & 0xfU]);
        }
    }
    return token;
}

} // namespace

WebToken::WebToken(const std::optional<std::string>& tokenFile, bool loopback,
                   const std::string& dataFolder) {
    if (tokenFile) {
        token_ = CheckedToken(FirstLine(*tokenFile), *tokenFile);
    } else if (!loopback) {
        UseKept((std::filesystem::path(dataFolder) / FileName).string());
    }
}

// The file is made empty, for its owner only, before the token goes in: the atomic replacement
// keeps the mode of the file it replaces, so the token is never readable by others, not even
// for a moment. An empty file is one a start left before it wrote the token.
void WebToken::UseKept(const std::string& path) {
    const FileDescriptor created(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!created.IsOpen()) {
        if (errno != EEXIST) {
            throw EFileError(FileErrorText("make the web page's token file", path, errno));
        }
        if (std::string kept = FirstLine(path); !kept.empty()) {
            token_ = CheckedToken(std::move(kept), path);
            return;
        }
        if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0) {
            throw EFileError(FileErrorText("make the web page's token file", path, errno));
        }
    }
    const std::string token = RandomToken();
    AtomicFileWriter::WriteFile(path, token + "\n");
    token_ = token;
    made_ = "Made the web page's access token, kept in " + path + ": add ?token=" + token +
            " to the page's address.";
}

bool WebToken::Matches(std::string_view expected, std::string_view given) {
    std::size_t difference = expected.size() ^ given.size();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char other = i < given.size() ? given[i] : '\0';
        difference |= static_cast<unsigned char>(expected[i] ^ other);
    }
    return difference == 0;
}
