#include "ProgramChecks.h"

#include "horizon/HorizonGrid.h"
#include "platform/CommaText.h"
#include "platform/TStringList.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

bool EndedWell(const std::optional<int>& status) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

void ExpectReceivedMap(const std::string& path) {
    TStringList grid;
    grid.LoadFromFile(path);
    ASSERT_EQ(grid.Count(), 360u);
    for (std::size_t a = 0; a < grid.Count(); ++a) {
        ASSERT_EQ(SplitCommaText(grid.Get(a)).size(), 92u) << a;
    }
    EXPECT_NE(grid, NewGrid()) << "nothing was received";
}
