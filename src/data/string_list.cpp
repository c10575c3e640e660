#include "string_list.h"

#include <algorithm>

namespace {
// Letters compare as lower case, so '_' and the like sort before them, as in a
// dictionary-like order.
unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
} // namespace

int compareTextNoCase(const std::string &a, const std::string &b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(static_cast<unsigned char>(a[i]));
        const unsigned char y = fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int TStringList::Add(const std::string &s)
{
    if (!m_sorted) {
        m_items.push_back(s);
        return Count() - 1;
    }
    auto it = std::lower_bound(m_items.begin(), m_items.end(), s,
                               [](const std::string &a, const std::string &b) { return compareTextNoCase(a, b) < 0; });
    if (it != m_items.end() && compareTextNoCase(*it, s) == 0)
        return int(it - m_items.begin());
    it = m_items.insert(it, s);
    return int(it - m_items.begin());
}

int TStringList::IndexOf(const std::string &s) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (compareTextNoCase(m_items[i], s) == 0)
            return int(i);
    return -1;
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !m_sorted)
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const std::string &a, const std::string &b) { return compareTextNoCase(a, b) < 0; });
    m_sorted = sorted;
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto &s : m_items) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(const std::string &text)
{
    m_items.clear();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t e = i;
        while (e < n && text[e] != '\r' && text[e] != '\n')
            ++e;
        Add(text.substr(i, e - i));
        if (e < n && text[e] == '\r' && e + 1 < n && text[e + 1] == '\n')
            e += 2;
        else if (e < n)
            ++e;
        i = e;
    }
}
