#pragma once
// Reading a cell's text as the value it stands for, for sorting and
// filtering: numbers in the engines' text forms (plain decimals of any
// length, exponents, "Infinity", money with a currency sign and thousands
// separators) and dates, times and timestamps in the ISO-like forms the
// engines print ("2024-03-01", "2024-03-01 10:20:30.5+01", "10:20:30",
// "0044-03-15 BC", "infinity").

#include <cstdint>
#include <string_view>

namespace cellkeys {

// The number a text stands for, or false. `wide` is set when the text has
// more significant digits than a double tells apart, so that two such
// values that read as the same double still need compareDecimals().
bool readNumber(std::string_view text, double &value, bool *wide = nullptr);

// Exact order of two plain decimal texts ("-12.50", "123456789012345678901"):
// <0, 0, >0. Texts that are not plain decimals compare as equal.
int compareDecimals(std::string_view a, std::string_view b);

// A moment as a pair that orders as the value does: days from 1970-01-01
// (negative before; a time of day alone is on day 0) and microseconds into
// that day, a time zone offset taken into account.
struct Moment {
    int64_t day = 0;
    int64_t micros = 0;
    friend bool operator<(const Moment &a, const Moment &b)
    {
        return a.day != b.day ? a.day < b.day : a.micros < b.micros;
    }
    friend bool operator==(const Moment &a, const Moment &b) { return a.day == b.day && a.micros == b.micros; }
};

bool readMoment(std::string_view text, Moment &moment);

} // namespace cellkeys
