#pragma once

#include <optional>
#include <cstddef>
#include <string>
#include <vector>

// The one rule for every number a command-line option takes, for the
// converter and the window alike: decimal digits, leading zeros allowed; a
// sign only where the range has negative values; where an address is taken,
// "&", "#" or "0x" marks hexadecimal. nullopt for text that is no such
// number; values too large for a long long count as too large.
std::optional<long long> Option_Number_From(const std::string& text, bool signAllowed, bool hexAllowed);

// The whole number option takes, from minimum to maximum (a sign allowed
// when minimum is negative). Raises an Exception naming the option and its
// range otherwise.
int Option_Integer_In(const std::string& option, const std::string& text, int minimum, int maximum);

// The value of the option at arguments[i], which follows it; moves i onto
// it. Raises an Exception naming the option when nothing follows.
const std::string& Option_Value(const std::vector<std::string>& arguments, std::size_t& i);
