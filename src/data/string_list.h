#pragma once
// An ordered list of 8-bit strings, as the catalogue operations fill it.
// IndexOf compares without regard to case. In sorted mode the list keeps
// ascending order (compared without regard to case) and ignores an added
// string that it already holds.

#include <string>
#include <vector>

class TStringList {
public:
    TStringList() = default;

    int Count() const { return int(m_items.size()); }
    const std::string &operator[](int i) const { return m_items[size_t(i)]; }
    const std::string &Strings(int i) const { return m_items[size_t(i)]; }
    const std::vector<std::string> &items() const { return m_items; }

    void Clear() { m_items.clear(); }
    // Returns the index of the new (or, sorted, already present) string.
    int Add(const std::string &s);
    void Delete(int i) { m_items.erase(m_items.begin() + i); }
    int IndexOf(const std::string &s) const;

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);

    // The lines joined, each followed by CR LF.
    std::string Text() const;
    // Cut a text into lines at CR LF, lone CR and lone LF; a text that ends
    // with a break yields no extra empty line (as the list's own Text reads back).
    void SetText(const std::string &text);

private:
    std::vector<std::string> m_items;
    bool m_sorted = false;
};

// Compare without regard to the case of the letters A to Z (letters fold to lower case).
int compareTextNoCase(const std::string &a, const std::string &b);
