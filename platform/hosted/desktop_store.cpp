#include "desktop_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "posix_io.h"

namespace plat::hosted {

namespace {

constexpr std::size_t NAME_DIGITS = 8;

bool box_name(const std::string& name)
{
    return name.size() == NAME_DIGITS && name.find_first_not_of("0123456789") == std::string::npos;
}

// The numbered box files, in ascending order; a missing folder has none.
int list_names(const std::string& dir, std::vector<std::string>& names)
{
    names.clear();
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return errno == ENOENT ? 0 : errno;
    while (const dirent* e = ::readdir(d)) {
        if (box_name(e->d_name)) names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return 0;
}

std::string numbered(std::uint32_t number)
{
    char name[NAME_DIGITS + 1];
    std::snprintf(name, sizeof name, "%08u", number);
    return name;
}

bool parse_box(const std::string& content, desktop_box& box)
{
    const std::size_t end = content.find('\n');
    unsigned style = 0;
    std::size_t caption_length = 0;
    if (end == std::string::npos || std::sscanf(content.c_str(), "0x%8x %zu", &style, &caption_length) != 2 ||
        content.size() - end - 1 < caption_length) {
        return false;
    }
    box.style = style;
    box.caption = content.substr(end + 1, caption_length);
    box.text = content.substr(end + 1 + caption_length);
    return true;
}

// Writes the box aside under a name of this process and call.
int write_aside(const std::string& path, const desktop_box& box)
{
    char head[40];
    std::snprintf(head, sizeof head, "0x%08X %zu\n", box.style, box.caption.size());
    const std::string content = head + box.caption + box.text;
    unique_fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd.valid()) return errno;
    if (const int error = write_all(fd.get(), content.data(), content.size()); error != 0) return error;
    return fd.close_checked();
}

} // namespace

std::string desktop_path(const std::string& root)
{
    return root + "/desktop";
}

int append_box(const std::string& root, desktop_box& box)
{
    const std::string dir = desktop_path(root);
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return errno;
    static std::atomic<unsigned> calls{0};
    const std::string aside = dir + "/.new-" + std::to_string(::getpid()) + "-" + std::to_string(++calls);
    if (const int error = write_aside(aside, box); error != 0) {
        ::unlink(aside.c_str());
        return error;
    }
    std::vector<std::string> names;
    int error = list_names(dir, names);
    // The first free number from one past the last box; a box another
    // process links at the same moment takes the next.
    std::uint32_t number = names.empty() ? 1 : static_cast<std::uint32_t>(std::strtoul(names.back().c_str(), nullptr, 10)) + 1;
    while (error == 0 && ::link(aside.c_str(), (dir + "/" + numbered(number)).c_str()) != 0) {
        if (errno != EEXIST) error = errno;
        else ++number;
    }
    ::unlink(aside.c_str());
    if (error == 0) box.number = number;
    return error;
}

int read_boxes(const std::string& root, std::vector<desktop_box>& out)
{
    out.clear();
    const std::string dir = desktop_path(root);
    std::vector<std::string> names;
    if (const int error = list_names(dir, names); error != 0) return error;
    for (const std::string& name : names) {
        std::string content;
        bool exists = false;
        if (const int error = read_whole_file(dir + "/" + name, content, exists); error != 0) return error;
        desktop_box box;
        // A box cleared while the list was read is simply gone.
        if (!exists || !parse_box(content, box)) continue;
        box.number = static_cast<std::uint32_t>(std::strtoul(name.c_str(), nullptr, 10));
        out.push_back(std::move(box));
    }
    return 0;
}

int clear_boxes(const std::string& root)
{
    const std::string dir = desktop_path(root);
    std::vector<std::string> names;
    if (const int error = list_names(dir, names); error != 0) return error;
    for (const std::string& name : names) {
        if (::unlink((dir + "/" + name).c_str()) != 0 && errno != ENOENT) return errno;
    }
    return 0;
}

} // namespace plat::hosted
