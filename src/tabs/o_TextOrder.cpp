#include "o_TextOrder.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The characters whose weights are read: printable ASCII, tab, line feed, carriage return.
bool weighed(int c) { return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

TAsciiCollation::TAsciiCollation(const QCollator &collator)
{
    QCollator caseless = collator;
    caseless.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<char> chars;
    for (int c = 0; c < 128; ++c)
        if (weighed(c))
            chars.push_back(char(c));
    const auto text = [](char c) { return QString(QChar(c)); };
    std::stable_sort(chars.begin(), chars.end(),
                     [&](char a, char b) { return collator.compare(text(a), text(b)) < 0; });
    // First level: characters equal without case share a weight; within it, case orders.
    int primary = 1, tertiary = 0;
    char previous = 0;
    for (char c : chars) {
        if (caseless.compare(text(c), QString()) == 0) {
            m_primary[int(c)] = 1; // ignored (no weight at all)
            m_tertiary[int(c)] = 1;
            continue;
        }
        if (previous && caseless.compare(text(previous), text(c)) != 0) {
            ++primary;
            tertiary = 0;
        }
        if (previous && collator.compare(text(previous), text(c)) != 0)
            ++tertiary;
        if (primary >= 255 || tertiary >= 255)
            return;
        m_primary[int(c)] = static_cast<unsigned char>(primary + 1);
        m_tertiary[int(c)] = static_cast<unsigned char>(tertiary + 1);
        previous = c;
    }
    // Two-letter texts in key order must be in the collator's order too;
    // a locale that sorts "ch" after "h" or "aa" after "z" fails here.
    std::vector<std::string> probes;
    const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0 -.'";
    for (const char *a = alphabet; *a; ++a)
        for (const char *b = alphabet; *b; ++b)
            probes.push_back(std::string{*a, *b});
    m_usable = true;
    std::vector<std::string> keys(probes.size());
    for (size_t i = 0; i < probes.size(); ++i)
        appendKey(probes[i], keys[i]);
    std::vector<size_t> order(probes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    for (size_t i = 1; i < order.size(); ++i) {
        const int byKey = keys[order[i - 1]].compare(keys[order[i]]);
        const int byCollator = collator.compare(qs(probes[order[i - 1]]), qs(probes[order[i]]));
        if ((byKey < 0) != (byCollator < 0) || (byKey == 0) != (byCollator == 0)) {
            m_usable = false;
            return;
        }
    }
}

bool TAsciiCollation::appendKey(std::string_view text, std::string &keys) const
{
    const size_t start = keys.size();
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 128 || !m_primary[u]) {
            keys.resize(start);
            return false;
        }
        if (m_primary[u] > 1)
            keys.push_back(char(m_primary[u]));
    }
    keys.push_back('\1'); // below every weight: a text before its longer continuations
    for (char c : text)
        if (m_primary[static_cast<unsigned char>(c)] > 1)
            keys.push_back(char(m_tertiary[static_cast<unsigned char>(c)]));
    return true;
}

std::vector<int> collatedOrder(const std::vector<std::optional<std::string_view>> &texts, const QCollator &collator,
                               bool descending)
{
    const TAsciiCollation ascii(collator);
    std::vector<int> nulls;
    // Plain texts: a byte key each, kept in one buffer.
    std::string keyBytes;
    struct Plain {
        uint64_t head; // the key's first 8 bytes, big-endian: most comparisons end here
        size_t offset;
        size_t length;
        int index;
    };
    std::vector<Plain> plain;
    std::vector<std::pair<QCollatorSortKey, int>> other;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i]) {
            nulls.push_back(int(i));
            continue;
        }
        const size_t offset = keyBytes.size();
        if (ascii.usable() && ascii.appendKey(*texts[i], keyBytes))
            plain.push_back({0, offset, keyBytes.size() - offset, int(i)});
        else
            other.push_back({collator.sortKey(qs(*texts[i])), int(i)});
    }
    for (Plain &p : plain)
        for (size_t k = 0; k < 8; ++k)
            p.head = (p.head << 8) | (k < p.length ? static_cast<unsigned char>(keyBytes[p.offset + k]) : 0);
    const auto keyOf = [&](const Plain &p) { return std::string_view(keyBytes.data() + p.offset, p.length); };
    std::sort(plain.begin(), plain.end(), [&](const Plain &a, const Plain &b) {
        const int c = a.head != b.head ? (a.head < b.head ? -1 : 1) : keyOf(a).compare(keyOf(b));
        return c != 0 ? (descending ? c > 0 : c < 0) : a.index < b.index;
    });
    std::sort(other.begin(), other.end(), [&](const auto &a, const auto &b) {
        const int c = a.first.compare(b.first);
        return c != 0 ? (descending ? c > 0 : c < 0) : a.second < b.second;
    });

    std::vector<int> order;
    order.reserve(texts.size());
    if (!descending)
        order.insert(order.end(), nulls.begin(), nulls.end());
    // The two runs merged by the collator itself.
    size_t p = 0, o = 0;
    QString otherText;
    size_t otherTextAt = size_t(-1);
    while (p < plain.size() || o < other.size()) {
        bool takePlain = o >= other.size();
        if (!takePlain && p < plain.size()) {
            if (otherTextAt != o) {
                otherText = qs(*texts[size_t(other[o].second)]);
                otherTextAt = o;
            }
            const int c = collator.compare(qs(*texts[size_t(plain[p].index)]), otherText);
            takePlain = c != 0 ? (descending ? c > 0 : c < 0) : plain[p].index < other[o].second;
        }
        order.push_back(takePlain ? plain[p++].index : other[o++].second);
    }
    if (descending)
        order.insert(order.end(), nulls.begin(), nulls.end());
    return order;
}
