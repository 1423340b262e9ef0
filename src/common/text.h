#pragma once

#include <string>
#include <string_view>

namespace tesselka {

// The n-th field (counted from 1) of `text` split at every occurrence of `delimiter`.
// Consecutive delimiters give empty fields, the last field runs to the end of the text,
// and a text with fewer than n fields gives an empty result.
std::string GetField(std::string_view text, std::string_view delimiter, int n);

// Every occurrence of `find` replaced, scanning left to right; the search resumes after
// the inserted text, so an inserted text is never searched again.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// A signed 32-bit decimal integer: optional sign, then digits, nothing else. Anything
// else fails with "'%s' is not a valid integer value".
int StrToInt(std::string_view text);

// The standard conversion message for `text`.
std::string NotAnIntegerText(std::string_view text);

// Removes blanks and control characters at both ends.
std::string Trim(std::string_view text);

} // namespace tesselka
