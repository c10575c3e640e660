#pragma once
// Line breaks of script text. A text is split into lines at CR LF, at a lone
// LF and at a lone CR; its style is CR when it holds CR and no LF, LF when it
// holds LF and no CR, CR LF otherwise (also for text without any break).

#include <string>
#include <string_view>

enum class TSynLineBreak { CRLF, LF, CR };

// The bytes of a break of this style.
std::string_view lineBreakBytes(TSynLineBreak style);

// The style a file's bytes carry.
TSynLineBreak detectLineBreak(std::string_view text);

// Whether every break in `text` is of `style` (no other kind appears).
bool hasOnlyLineBreak(std::string_view text, TSynLineBreak style);

// `text` with every break (CR LF, lone CR, lone LF) replaced by `brk`.
std::string joinLines(std::string_view text, std::string_view brk);
