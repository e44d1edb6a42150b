// Comparisons without regard to case, as Windows makes them for registry
// names and file names (ASCII letters only).
#ifndef PLAT_HOSTED_ASCII_CASE_H
#define PLAT_HOSTED_ASCII_CASE_H

#include <algorithm>
#include <string_view>

namespace plat::hosted {

inline unsigned char upper_ascii(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

inline bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper_ascii(x) == upper_ascii(y); });
}

// The order of the upper-case forms, in which the registry keeps subkeys.
inline bool less_ignoring_case(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return upper_ascii(x) < upper_ascii(y); });
}

} // namespace plat::hosted

#endif
