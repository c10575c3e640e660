#include "o_CellKeys.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace cellkeys {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// More significant digits than a double keeps apart (15)?
bool manyDigits(std::string_view text)
{
    int digits = 0, pendingZeros = 0;
    bool started = false;
    for (char c : text) {
        if (c == 'e' || c == 'E')
            break;
        if (!isDigit(c))
            continue;
        if (c == '0') {
            if (started)
                ++pendingZeros; // counts only when a non-zero digit follows
            continue;
        }
        digits += pendingZeros + 1;
        pendingZeros = 0;
        started = true;
    }
    return digits > 15;
}

bool parseWhole(std::string_view text, double &value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value == value;
}

} // namespace

bool readNumber(std::string_view text, double &value, bool *wide)
{
    text = trimmed(text);
    if (wide)
        *wide = false;
    if (!parseWhole(text, value)) {
        // Money and the like: a currency sign, thousands separators, spaces.
        char buffer[64];
        size_t length = 0;
        bool digit = false;
        for (char c : text) {
            if (isDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E') {
                if (length == sizeof buffer)
                    return false;
                buffer[length++] = c;
                digit = digit || isDigit(c);
            } else if (!(c == ',' || c == ' ' || c == '$' || static_cast<unsigned char>(c) >= 0x80)) {
                return false;
            }
        }
        if (!digit || !parseWhole(std::string_view(buffer, length), value))
            return false;
    }
    if (wide)
        *wide = manyDigits(text);
    return true;
}

namespace {

struct Decimal {
    bool negative = false;
    std::string_view whole; // no leading zeros
    std::string_view part;  // no trailing zeros
};

bool readDecimal(std::string_view text, Decimal &d)
{
    text = trimmed(text);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        d.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    d.whole = text.substr(0, point);
    d.part = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (d.whole.empty() && d.part.empty())
        return false;
    for (char c : d.whole)
        if (!isDigit(c))
            return false;
    for (char c : d.part)
        if (!isDigit(c))
            return false;
    while (!d.whole.empty() && d.whole.front() == '0')
        d.whole.remove_prefix(1);
    while (!d.part.empty() && d.part.back() == '0')
        d.part.remove_suffix(1);
    if (d.whole.empty() && d.part.empty())
        d.negative = false; // -0 is 0
    return true;
}

int compareMagnitude(const Decimal &a, const Decimal &b)
{
    if (a.whole.size() != b.whole.size())
        return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int c = a.whole.compare(b.whole))
        return c;
    return a.part.compare(b.part); // no trailing zeros: a longer part with the same start is larger
}

} // namespace

int compareDecimals(std::string_view a, std::string_view b)
{
    Decimal x, y;
    if (!readDecimal(a, x) || !readDecimal(b, y))
        return 0;
    if (x.negative != y.negative)
        return x.negative ? -1 : 1;
    const int c = compareMagnitude(x, y);
    return x.negative ? -c : c;
}

namespace {

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Reads 1 to `most` digits.
bool number(std::string_view &text, size_t least, size_t most, int64_t &value)
{
    size_t n = 0;
    value = 0;
    while (n < text.size() && n < most && isDigit(text[n]))
        value = value * 10 + (text[n++] - '0');
    text.remove_prefix(n);
    return n >= least;
}

bool take(std::string_view &text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

bool readTime(std::string_view &text, int64_t &micros)
{
    int64_t h = 0, m = 0, s = 0;
    if (!number(text, 1, 2, h) || !take(text, ':') || !number(text, 2, 2, m))
        return false;
    if (take(text, ':') && !number(text, 2, 2, s))
        return false;
    int64_t fraction = 0;
    if (take(text, '.')) {
        int64_t scale = 100000;
        size_t n = 0;
        for (; n < text.size() && isDigit(text[n]); ++n, scale /= 10)
            fraction += (text[n] - '0') * scale; // digits past the microsecond add nothing
        if (n == 0)
            return false;
        text.remove_prefix(n);
    }
    if (h > 24 || m > 59 || s > 60)
        return false;
    micros = ((h * 60 + m) * 60 + s) * 1000000 + fraction;
    return true;
}

// "Z", "+01", "+0530", "-05:30", "+05:30:15".
bool readZone(std::string_view &text, int64_t &offsetMicros)
{
    offsetMicros = 0;
    if (take(text, 'Z'))
        return true;
    if (text.empty() || (text.front() != '+' && text.front() != '-'))
        return true; // no zone
    const bool negative = text.front() == '-';
    text.remove_prefix(1);
    int64_t h = 0, m = 0, s = 0;
    if (!number(text, 1, 2, h))
        return false;
    if (take(text, ':')) {
        if (!number(text, 2, 2, m))
            return false;
        if (take(text, ':') && !number(text, 2, 2, s))
            return false;
    } else if (!text.empty() && isDigit(text.front()) && !number(text, 2, 2, m)) {
        return false;
    }
    offsetMicros = ((h * 60 + m) * 60 + s) * 1000000 * (negative ? -1 : 1);
    return true;
}

bool equalsNoCase(std::string_view a, const char *b)
{
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != b[i])
            return false;
    return true;
}

} // namespace

bool readMoment(std::string_view text, Moment &moment)
{
    text = trimmed(text);
    constexpr int64_t kDayMicros = 86400LL * 1000000;
    if (equalsNoCase(text, "infinity") || equalsNoCase(text, "+infinity")) {
        moment = {std::numeric_limits<int64_t>::max(), 0};
        return true;
    }
    if (equalsNoCase(text, "-infinity")) {
        moment = {std::numeric_limits<int64_t>::min(), 0};
        return true;
    }
    bool bc = false;
    if (text.size() > 3 && equalsNoCase(text.substr(text.size() - 3), " bc")) {
        bc = true;
        text = trimmed(text.substr(0, text.size() - 3));
    }
    int64_t day = 0, micros = 0;
    std::string_view rest = text;
    const size_t colon = rest.find(':');
    const size_t dash = rest.find('-', 1);
    if (dash != std::string_view::npos && (colon == std::string_view::npos || dash < colon)) {
        const bool negativeYear = take(rest, '-');
        int64_t y = 0, m = 0, d = 0;
        if (!number(rest, 1, 9, y) || !take(rest, '-') || !number(rest, 1, 2, m) || !take(rest, '-') ||
            !number(rest, 1, 2, d) || m > 12 || d > 31)
            return false;
        if (negativeYear)
            y = -y;
        if (bc)
            y = 1 - y;
        // A zero month or day (a "zero date") comes just before the first day.
        day = daysFromCivil(y, unsigned(m ? m : 1), unsigned(d ? d : 1)) - (m == 0 || d == 0 ? 1 : 0);
        if (rest.empty()) {
            moment = {day, 0};
            return true;
        }
        if (!take(rest, ' ') && !take(rest, 'T'))
            return false;
    } else if (bc) {
        return false;
    }
    if (!readTime(rest, micros))
        return false;
    int64_t offset = 0;
    if (!readZone(rest, offset) || !rest.empty())
        return false;
    micros -= offset;
    while (micros < 0) {
        micros += kDayMicros;
        --day;
    }
    while (micros >= kDayMicros) {
        micros -= kDayMicros;
        ++day;
    }
    moment = {day, micros};
    return true;
}

} // namespace cellkeys
