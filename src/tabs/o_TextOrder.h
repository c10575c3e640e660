#pragma once
// Sorting texts by the locale's collation quickly. Texts made of plain ASCII
// get byte keys built from per-character weights that are read from the
// collator itself (a first level that ignores case, then case), compared
// with memcmp; other texts get the collator's own sort keys, and the two
// sorted runs are merged by the collator. Locales whose collation joins
// ASCII letters ("ch", "aa") are found out up front and sorted by the
// collator's keys alone.

#include <QCollator>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TAsciiCollation {
public:
    explicit TAsciiCollation(const QCollator &collator);
    // False when this locale's order of ASCII texts is not per character.
    bool usable() const { return m_usable; }
    // Appends the key of `text`; false (nothing appended) for a text that is not plain ASCII.
    bool appendKey(std::string_view text, std::string &keys) const;

private:
    unsigned char m_primary[128] = {};  // 0: not plain; 1: ignored; else weight + 1
    unsigned char m_tertiary[128] = {};
    bool m_usable = false;
};

// The order of `texts` (nullopt: a null) by `collator`, as indexes into
// `texts`: nulls first, equal texts in index order; descending reverses all
// but the order of equal texts.
std::vector<int> collatedOrder(const std::vector<std::optional<std::string_view>> &texts, const QCollator &collator,
                               bool descending);
