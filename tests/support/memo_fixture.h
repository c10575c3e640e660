#pragma once
// A shown editor with the SQL highlighter attached, for tests of its keys.
#include <gtest/gtest.h>

#include "o_SQLSyn.h"
#include "o_SynMemo.h"

struct HighlightedMemoFixture : ::testing::Test {
    TqdSynMemo memo{nullptr};
    TqdSQLSyn syn;
    void SetUp() override
    {
        memo.resize(600, 300);
        memo.show();
        memo.setLexer(&syn);
    }
    void TearDown() override { memo.setLexer(nullptr); }
};
