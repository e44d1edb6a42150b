// Parameter files: text read line by line, comment lines skipped, every
// other line the next field, counted from 1.
#ifndef PTH_PARAM_FILE_H
#define PTH_PARAM_FILE_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pth {

inline constexpr std::size_t param_line_limit = 1024;
inline constexpr std::size_t any_line_limit = 65536;

struct param_fields {
    std::vector<std::string> fields;   // without their line ends
    std::size_t long_line = 0;         // the first line over the limit (1-based), 0 for none
};

// Splits file contents into fields. A line whose first character is "/" or
// white space is a comment; "\r\n" and "\n" end a line.
param_fields split_fields(std::string_view contents, std::size_t line_limit);

// Makes the name absolute, prints it, reads the file and splits it. Every
// failure is reported (with the abnormal-end line) and gives nullopt.
std::optional<std::vector<std::string>> read_param_file(const char* name, std::size_t line_limit);

// Field `number` (from 1) of a file, or nullopt after reporting that the
// field named `what` is missing.
std::optional<std::string_view> field(const std::vector<std::string>& fields, std::size_t number, const char* what);

} // namespace pth

#endif
