#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using CsvRowList = std::vector<std::vector<std::string>>;

// The rows of a comma-separated text, each split at its commas (no quoting); the header is row
// 0. Every line must end in "\n".
inline CsvRowList CsvRows(const std::string& text) {
    EXPECT_TRUE(text.empty() || text.ends_with('\n'));
    CsvRowList rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1) {
            fields.push_back(line.substr(start, comma - start));
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}
