#include "OptionNumbers.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <string_view>

#include "SysUtils.h"

std::optional<long long> Option_Number_From(const std::string& text, bool signAllowed, bool hexAllowed) {
    std::string_view digits(text);
    const bool negative = signAllowed && !digits.empty() && digits.front() == '-';
    if (signAllowed && !digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    int base = 10;
    if (hexAllowed && (digits.starts_with('&') || digits.starts_with('#'))) {
        digits.remove_prefix(1);
        base = 16;
    } else if (hexAllowed && (digits.starts_with("0x") || digits.starts_with("0X"))) {
        digits.remove_prefix(2);
        base = 16;
    }
    if (digits.empty() || !std::isalnum(static_cast<unsigned char>(digits.front())))
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (end != digits.data() + digits.size())
        return std::nullopt;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<long long>::max();
    return negative ? -value : value;
}

int Option_Integer_In(const std::string& option, const std::string& text, int minimum, int maximum) {
    const std::optional<long long> value = Option_Number_From(text, minimum < 0, false);
    if (!value)
        throw Exception(option + " takes a whole number from " + IntToStr(minimum) + " to " + IntToStr(maximum) +
                        ", not '" + text + "'");
    if (*value < minimum || *value > maximum)
        throw Exception(option + " must be from " + IntToStr(minimum) + " to " + IntToStr(maximum) + ", not " +
                        text);
    return static_cast<int>(*value);
}

const std::string& Option_Value(const std::vector<std::string>& arguments, std::size_t& i) {
    if (i + 1 >= arguments.size())
        throw Exception(arguments[i] + " needs a value");
    return arguments[++i];
}
