#pragma once

#include <gtest/gtest.h>

#include <string>

// Names a parameterised case after its `name` member, so failures read as the table row.
struct CaseName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};
