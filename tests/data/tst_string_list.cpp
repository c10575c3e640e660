// The string list the catalogue fills: case-insensitive lookup, sorted mode
// that ignores what it holds, and statement text cut into lines.
#include <gtest/gtest.h>

#include "string_list.h"

TEST(StringList, SortedModeKeepsCaseInsensitiveOrderAndIgnoresDuplicates)
{
    TStringList list;
    list.SetSorted(true);
    for (const char *s : {"orders", "Customers", "items", "ORDERS", "customers", "_meta", "Zeta", "alpha"})
        list.Add(s);
    const std::vector<std::string> expected{"_meta", "alpha", "Customers", "items", "orders", "Zeta"};
    EXPECT_EQ(list.items(), expected);
    EXPECT_EQ(list.IndexOf("CUSTOMERS"), 2);
    EXPECT_EQ(list.IndexOf("missing"), -1);
}

TEST(StringList, UnsortedKeepsOrderAndDuplicates)
{
    TStringList list;
    list.Add("b");
    list.Add("a");
    list.Add("B");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf("b"), 0);
    list.SetSorted(true);
    EXPECT_EQ(list[0], "a");
}

TEST(StringList, TextCutsAtEveryLineBreakAndKeepsTrailingBlanks)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"select   \rfrom t\r", {"select   ", "from t"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"", {}},
        {"\t-- comment  \rx", {"\t-- comment  ", "x"}},
    };
    for (const Case &c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(list.items(), c.lines);
    }
    TStringList list;
    list.SetText("select  \rfrom t");
    EXPECT_EQ(list.Text(), "select  \r\nfrom t\r\n");
}
