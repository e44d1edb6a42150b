#include "event_store.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>

#include "posix_io.h"

namespace plat::hosted {

namespace {

constexpr char HEX[] = "0123456789abcdef";

std::string escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '%') {
            out += '%';
            out += HEX[u >> 4];
            out += HEX[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unescape(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = hex_digit(text[i + 1]);
        const int low = hex_digit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string> split_tabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool parse_number(const std::string& text, int base, std::uint64_t limit, std::uint64_t& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || value > limit || text[0] == '-' || text[0] == '+') return false;
    out = value;
    return true;
}

std::string format_line(const event_record& r)
{
    char head[64];
    std::snprintf(head, sizeof head, "%u\t%u\t%u\t", r.number, r.type, r.category);
    std::string line = head + escape(r.source);
    std::snprintf(head, sizeof head, "\t%08X\t%zu", r.id, r.strings.size());
    line += head;
    for (const std::string& s : r.strings) line += '\t' + escape(s);
    line += '\t';
    for (std::size_t i = 0; i < r.data.size(); ++i) {
        if (i != 0) line += ' ';
        line += HEX[r.data[i] >> 4];
        line += HEX[r.data[i] & 0xF];
    }
    return line + '\n';
}

bool parse_line(const std::string& line, event_record& r)
{
    const std::vector<std::string> f = split_tabs(line);
    std::uint64_t number = 0, type = 0, category = 0, id = 0, count = 0;
    if (f.size() < 7 || !parse_number(f[0], 10, UINT32_MAX, number) || !parse_number(f[1], 10, 0xFFFF, type) ||
        !parse_number(f[2], 10, 0xFFFF, category) || !unescape(f[3], r.source) ||
        !parse_number(f[4], 16, UINT32_MAX, id) || !parse_number(f[5], 10, f.size(), count) ||
        f.size() != 7 + count) {
        return false;
    }
    r.number = static_cast<std::uint32_t>(number);
    r.type = static_cast<std::uint16_t>(type);
    r.category = static_cast<std::uint16_t>(category);
    r.id = static_cast<std::uint32_t>(id);
    r.strings.assign(count, {});
    for (std::size_t i = 0; i < count; ++i) {
        if (!unescape(f[6 + i], r.strings[i])) return false;
    }
    const std::string& hex = f.back();
    r.data.clear();
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        const int high = hex_digit(hex[i]);
        const int low = i + 1 < hex.size() ? hex_digit(hex[i + 1]) : -1;
        if (high < 0 || low < 0 || (i + 2 < hex.size() && hex[i + 2] != ' ')) return false;
        r.data.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

// The number of the last whole record of the open log of `size` bytes (0
// when it has none), read from its end backwards; `ends_line` tells whether
// the file ends with a newline.
int last_number(int fd, off_t size, std::uint32_t& number, bool& ends_line)
{
    number = 0;
    ends_line = true;
    std::string tail;
    off_t pos = size;
    constexpr off_t CHUNK = 4096;
    while (pos > 0) {
        const off_t from = pos > CHUNK ? pos - CHUNK : 0;
        std::string chunk(static_cast<std::size_t>(pos - from), '\0');
        const ssize_t got = ::pread(fd, chunk.data(), chunk.size(), from);
        if (got < 0) return errno;
        if (static_cast<std::size_t>(got) != chunk.size()) return EIO;
        tail.insert(0, chunk);
        if (pos == size) ends_line = tail.back() == '\n';
        pos = from;
        // Whole lines of the tail, from the last one back.
        std::size_t end = tail.rfind('\n');
        while (end != std::string::npos) {
            const std::size_t before = end == 0 ? std::string::npos : tail.rfind('\n', end - 1);
            if (before == std::string::npos && pos > 0) break; // the line may begin in an earlier chunk
            const std::size_t start = before == std::string::npos ? 0 : before + 1;
            event_record r;
            if (parse_line(tail.substr(start, end - start), r)) {
                number = r.number;
                return 0;
            }
            end = before;
        }
        if (end != std::string::npos) tail.erase(end + 1);
    }
    return 0;
}

} // namespace

std::string event_log_path(const std::string& root)
{
    return root + "/eventlog";
}

int append_event(const std::string& root, event_record& record)
{
    unique_fd fd(::open(event_log_path(root).c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!fd.valid()) return errno;
    if (const int error = lock_file(fd.get(), LOCK_EX); error != 0) return error;
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0) return errno;
    std::uint32_t last = 0;
    bool ends_line = true;
    if (const int error = last_number(fd.get(), st.st_size, last, ends_line); error != 0) return error;
    record.number = last + 1;
    const std::string line = (ends_line ? "" : "\n") + format_line(record);
    if (const int error = write_all(fd.get(), line.data(), line.size()); error != 0) return error;
    return fd.close_checked();
}

int read_events(const std::string& root, std::vector<event_record>& out)
{
    out.clear();
    unique_fd fd(::open(event_log_path(root).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return errno == ENOENT ? 0 : errno;
    if (const int error = lock_file(fd.get(), LOCK_SH); error != 0) return error;
    std::string text;
    if (const int error = read_all(fd.get(), text); error != 0) return error;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        event_record r;
        if (parse_line(text.substr(start, end - start), r)) out.push_back(std::move(r));
        start = end + 1;
    }
    return 0;
}

int clear_events(const std::string& root)
{
    unique_fd fd(::open(event_log_path(root).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid()) return errno;
    if (const int error = lock_file(fd.get(), LOCK_EX); error != 0) return error;
    if (::ftruncate(fd.get(), 0) != 0) return errno;
    return fd.close_checked();
}

} // namespace plat::hosted
