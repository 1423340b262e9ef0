#include "common/text.h"

#include "common/error.h"

#include <charconv>

namespace tesselka {

std::string GetField(std::string_view text, std::string_view delimiter, int n)
{
    if (n < 1 || delimiter.empty())
        return n == 1 ? std::string(text) : std::string();
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos)
            return {};
        start = next + delimiter.size();
    }
    size_t end = text.find(delimiter, start);
    return std::string(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement)
{
    if (find.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t pos = 0;
    while (true) {
        size_t hit = text.find(find, pos);
        if (hit == std::string_view::npos)
            break;
        result.append(text.substr(pos, hit - pos));
        result.append(replacement);
        pos = hit + find.size();
    }
    result.append(text.substr(pos));
    return result;
}

std::string NotAnIntegerText(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

int StrToInt(std::string_view text)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        throw Error(NotAnIntegerText(text));
    // Parse as 64-bit so that -2147483648 is accepted and overflow is caught.
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        throw Error(NotAnIntegerText(text));
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        throw Error(NotAnIntegerText(text));
    return int(value);
}

std::string Trim(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

} // namespace tesselka
