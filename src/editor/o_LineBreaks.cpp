#include "o_LineBreaks.h"

#include <cstring>

std::string_view lineBreakBytes(TSynLineBreak style)
{
    switch (style) {
    case TSynLineBreak::LF: return "\n";
    case TSynLineBreak::CR: return "\r";
    case TSynLineBreak::CRLF: break;
    }
    return "\r\n";
}

TSynLineBreak detectLineBreak(std::string_view text)
{
    const bool cr = text.find('\r') != std::string_view::npos;
    const bool lf = text.find('\n') != std::string_view::npos;
    if (cr && !lf)
        return TSynLineBreak::CR;
    if (lf && !cr)
        return TSynLineBreak::LF;
    return TSynLineBreak::CRLF;
}

bool hasOnlyLineBreak(std::string_view text, TSynLineBreak style)
{
    switch (style) {
    case TSynLineBreak::LF: return text.find('\r') == std::string_view::npos;
    case TSynLineBreak::CR: return text.find('\n') == std::string_view::npos;
    case TSynLineBreak::CRLF: break;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return false;
            ++i;
        } else if (text[i] == '\n') {
            return false;
        }
    }
    return true;
}

std::string joinLines(std::string_view text, std::string_view brk)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    size_t i = 0;
    while (i < text.size()) {
        // copy the run up to the next break in one go
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n')
            ++j;
        out.append(text.data() + i, j - i);
        if (j >= text.size())
            break;
        out.append(brk);
        i = (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ? j + 2 : j + 1;
    }
    return out;
}
