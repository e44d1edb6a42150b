#include "param_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tool_messages.h"
#include "tool_output.h"
#include "plat/error.h"
#include "plat/file.h"

namespace pth {

namespace {

bool is_comment(std::string_view line)
{
    const char first = line.front();
    return first == '/' || first == ' ' || first == '\t' || first == '\n' || first == '\r' || first == '\v' ||
           first == '\f';
}

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

param_fields split_fields(std::string_view contents, std::size_t line_limit)
{
    param_fields result;
    std::size_t line_number = 0;
    while (!contents.empty()) {
        ++line_number;
        const std::size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > line_limit && result.long_line == 0)
            result.long_line = line_number;
        if (line.empty() || is_comment(line))
            continue;
        result.fields.emplace_back(line);
    }
    return result;
}

std::optional<std::vector<std::string>> read_param_file(const char* name, std::size_t line_limit)
{
    std::string path;
    if (!plat::full_path_name(name, path)) {
        putf(msg::call_failed, "_fullpath", plat::system_message(plat::last_error()).c_str());
        abnormal_end();
        return std::nullopt;
    }
    const std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const int error = errno;
        putf(msg::param_file_open, error, std::strerror(error));
        abnormal_end();
        return std::nullopt;
    }
    putf(msg::parameter_filename, path.c_str());
    std::string contents;
    char chunk[4096];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        contents.append(chunk, count);
    if (std::ferror(file.get())) {
        putf(msg::call_failed, "fgets", std::strerror(errno));
        abnormal_end();
        return std::nullopt;
    }
    param_fields split = split_fields(contents, line_limit);
    if (split.long_line != 0) {
        putf(msg::line_too_long, static_cast<int>(split.long_line), static_cast<int>(line_limit));
        abnormal_end();
        return std::nullopt;
    }
    return std::move(split.fields);
}

std::optional<std::string_view> field(const std::vector<std::string>& fields, std::size_t number, const char* what)
{
    if (number == 0 || number > fields.size()) {
        putf(msg::illegal_parameter, what);
        abnormal_end();
        return std::nullopt;
    }
    return std::string_view(fields[number - 1]);
}

} // namespace pth
