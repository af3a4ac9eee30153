#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// The bodies of the sentences of `text`, each checked for its frame and, computed here, its
// checksum.
inline std::vector<std::string> SentenceBodies(const std::string& text) {
    std::vector<std::string> bodies;
    for (std::size_t start = 0, end = 0; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string sentence = text.substr(start, end - start);
        const std::size_t star = sentence.find('*');
        EXPECT_TRUE(sentence.starts_with('$') && star + 3 == sentence.size()) << sentence;
        unsigned checksum = 0;
        for (std::size_t i = 1; i < star; ++i) {
            checksum ^= static_cast<unsigned char>(sentence[i]);
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", checksum);
        EXPECT_EQ(sentence.substr(star + 1), hex) << sentence;
        bodies.push_back(sentence.substr(1, star - 1));
    }
    EXPECT_TRUE(text.ends_with("\r\n"));
    return bodies;
}
