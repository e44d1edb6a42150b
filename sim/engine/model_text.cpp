#include "model_text.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>

#include "fields.h"
#include "raid.h"

namespace sim {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool same_word(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) ==
                                                  std::tolower(static_cast<unsigned char>(y)); });
}

bool printable(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

const named_code* find_name(std::span<const named_code> names, std::string_view word)
{
    for (const named_code& n : names) {
        if (same_word(n.name, word)) return &n;
    }
    return nullptr;
}

template <class T>
std::string apply_field(std::span<const field<T>> fields, T& target, std::string_view key, std::string_view value)
{
    const auto f = std::find_if(fields.begin(), fields.end(), [key](const field<T>& x) { return key == x.key; });
    if (f == fields.end()) return "unknown key '" + std::string(key) + "'";
    const std::string what = std::string(key) + ": ";
    switch (f->kind) {
    case field_kind::text:
        if (value.size() > f->limit) return what + "at most " + std::to_string(f->limit) + " characters";
        if (!printable(value)) return what + "only printable ASCII characters";
        target.*(f->text) = std::string(value);
        return {};
    case field_kind::number:
    case field_kind::hex: {
        if (const named_code* n = find_name(f->names, value)) {
            target.*(f->number) = n->code;
            return {};
        }
        std::uint64_t v = 0;
        if (!parse_number(value, f->limit, v)) {
            std::string names;
            for (const named_code& n : f->names) names += std::string(" or ") + n.name;
            return what + "a number from 0 to " + std::to_string(f->limit) + names;
        }
        target.*(f->number) = static_cast<std::uint32_t>(v);
        return {};
    }
    case field_kind::choice: {
        if (const named_code* n = find_name(f->names, value)) {
            target.*(f->number) = n->code;
            return {};
        }
        std::string names;
        for (const named_code& n : f->names) names += std::string(names.empty() ? "" : ", ") + n.name;
        return what + "one of " + names;
    }
    case field_kind::custom:
        if (std::string error = f->parse(target, value); !error.empty()) return what + error;
        return {};
    }
    return what + "cannot be set";
}

template <class T>
std::string field_text(const field<T>& f, const T& source)
{
    switch (f.kind) {
    case field_kind::text: return '"' + source.*(f.text) + '"';
    case field_kind::custom: return f.format(source);
    case field_kind::number:
    case field_kind::hex:
    case field_kind::choice: break;
    }
    const std::uint32_t v = source.*(f.number);
    if (const char* name = name_of(f.names, v)) return name;
    if (f.kind != field_kind::hex) return std::to_string(v);
    int digits = 0;
    for (std::uint64_t l = f.limit; l != 0; l >>= 4) ++digits;
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, v);
    return text;
}

template <class T>
void write_fields(std::string& out, std::span<const field<T>> fields, const T& source)
{
    for (const field<T>& f : fields) {
        const std::string value = field_text(f, source);
        out += f.key;
        out += value.empty() ? " =\n" : " = " + value + "\n";
    }
}

enum class section { none, port, adapter, faults, drive, logical, candidate, event };

struct section_name {
    const char* word;
    section kind;
    bool numbered;
    std::uint64_t limit;
};

constexpr section_name SECTIONS[] = {
    {"port", section::port, true, 255},
    {"adapter", section::adapter, true, 255},
    {"faults", section::faults, false, 0},
    {"drive", section::drive, true, DRIVE_SLOTS - 1},
    {"logical", section::logical, true, LOGICAL_SLOTS - 1},
    {"candidate", section::candidate, true, LOGICAL_SLOTS - 1},
    {"event", section::event, true, EVENT_SLOTS - 1},
};

// An event-log entry: its bytes in hex, zeros after the last ones given.
std::string parse_event(std::vector<std::uint8_t>& entry, std::string_view key, std::string_view value)
{
    if (key != "data") return "unknown key '" + std::string(key) + "'";
    if (!parse_hex_bytes(value, entry) || entry.size() > EVENT_SIZE) {
        return "data: at most " + std::to_string(EVENT_SIZE) + " bytes in hex";
    }
    entry.resize(EVENT_SIZE, 0);
    return {};
}

std::string format_event(const std::vector<std::uint8_t>& entry)
{
    const auto last = std::find_if(entry.rbegin(), entry.rend(), [](std::uint8_t b) { return b != 0; });
    return hex_bytes(std::span(entry.data(), static_cast<std::size_t>(entry.rend() - last)));
}

class parser {
public:
    explicit parser(scenario& out) : out_(out) {}

    std::string line(std::string_view text, int number)
    {
        line_ = number;
        text = trim(text);
        if (text.empty() || text.front() == '#' || text.front() == ';') return {};
        if (text.front() == '[') return open_section(text);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) return error("expected [section] or key = value");
        const std::string_view key = trim(text.substr(0, equals));
        std::string_view value;
        if (std::string e = read_value(trim(text.substr(equals + 1)), value); !e.empty()) return error(e);
        if (kind_ == section::none) return error("key '" + std::string(key) + "' before any section");
        if (std::find(seen_.begin(), seen_.end(), key) != seen_.end()) {
            return error("key '" + std::string(key) + "' given twice in this section");
        }
        seen_.emplace_back(key);
        std::string e = set(key, value);
        return e.empty() ? e : error(e);
    }

    std::string finish()
    {
        if (std::string e = close_logical(); !e.empty()) return e;
        return close_adapter();
    }

private:
    std::string error(const std::string& message) const
    {
        return "line " + std::to_string(line_) + ": " + message;
    }

    // A value is either in double quotes (kept as written) or bare, where a
    // '#' starts a comment.
    static std::string read_value(std::string_view raw, std::string_view& value)
    {
        if (!raw.empty() && raw.front() == '"') {
            const std::size_t close = raw.find('"', 1);
            if (close == std::string_view::npos) return "missing closing quote";
            const std::string_view rest = trim(raw.substr(close + 1));
            if (!rest.empty() && rest.front() != '#' && rest.front() != ';') return "text after the closing quote";
            value = raw.substr(1, close - 1);
            return {};
        }
        value = trim(raw.substr(0, raw.find('#')));
        return {};
    }

    std::string set(std::string_view key, std::string_view value)
    {
        switch (kind_) {
        case section::port: return apply_field(port_fields(), out_.ports.back(), key, value);
        case section::adapter: return apply_field(adapter_fields(), out_.adapters.back(), key, value);
        case section::faults: return apply_field(fault_fields(), out_.adapters.back().faults, key, value);
        case section::drive:
            return apply_field(drive_fields(), out_.adapters.back().drives[number_], key, value);
        case section::logical:
            return apply_field(logical_fields(), out_.adapters.back().logicals[number_], key, value);
        case section::candidate:
            return apply_field(logical_fields(), out_.adapters.back().candidates[number_], key, value);
        case section::event:
            return parse_event(out_.adapters.back().events[static_cast<std::uint32_t>(number_)], key, value);
        case section::none: break;
        }
        return "no section";
    }

    std::string open_section(std::string_view text)
    {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) return error("a section header ends with ]");
        const std::string_view after = trim(text.substr(close + 1));
        if (!after.empty() && after.front() != '#' && after.front() != ';') {
            return error("text after the section header");
        }
        const std::string_view inner = trim(text.substr(1, close - 1));
        const std::string_view word = inner.substr(0, inner.find(' '));
        const auto s = std::find_if(std::begin(SECTIONS), std::end(SECTIONS),
                                    [word](const section_name& x) { return word == x.word; });
        if (s == std::end(SECTIONS)) return error("unknown section [" + std::string(inner) + "]");
        std::uint64_t number = 0;
        const std::string_view rest = trim(inner.substr(word.size()));
        if (s->numbered ? !parse_number(rest, s->limit, number) : !rest.empty()) {
            return error(s->numbered ? "[" + std::string(s->word) + " N] with N from 0 to " +
                                           std::to_string(s->limit)
                                     : "[" + std::string(s->word) + "] takes no number");
        }
        if (std::string e = close_logical(); !e.empty()) return e;
        if (s->kind == section::port || s->kind == section::adapter) {
            if (std::string e = close_adapter(); !e.empty()) return e;
        } else if (out_.adapters.empty() || adapter_closed_) {
            return error("[" + std::string(inner) + "] belongs after an [adapter N] section");
        }
        seen_.clear();
        kind_ = s->kind;
        number_ = static_cast<std::size_t>(number);
        return start(static_cast<std::uint32_t>(number), inner);
    }

    std::string start(std::uint32_t number, std::string_view inner)
    {
        const auto port_taken = [this](std::uint32_t port) {
            return std::any_of(out_.adapters.begin(), out_.adapters.end(),
                               [port](const adapter& a) { return a.port == port; }) ||
                   std::any_of(out_.ports.begin(), out_.ports.end(),
                               [port](const registry_port& p) { return p.port == port; });
        };
        if (kind_ == section::port || kind_ == section::adapter) {
            if (port_taken(number)) return error("port " + std::to_string(number) + " is described twice");
        }
        switch (kind_) {
        case section::port:
            out_.ports.push_back({number, ""});
            adapter_closed_ = true;
            break;
        case section::adapter:
            out_.adapters.emplace_back();
            out_.adapters.back().port = number;
            out_.adapters.back().controller_id = number;
            adapter_closed_ = false;
            adapter_line_ = line_;
            described_.reset();
            break;
        case section::faults:
            if (faults_seen_) return error("[faults] is described twice");
            faults_seen_ = true;
            break;
        case section::drive:
        case section::logical:
        case section::candidate: {
            const std::size_t slot = number_ + (kind_ == section::logical     ? DRIVE_SLOTS
                                                : kind_ == section::candidate ? DRIVE_SLOTS + LOGICAL_SLOTS
                                                                              : 0);
            if (described_.test(slot)) return error("[" + std::string(inner) + "] is described twice");
            described_.set(slot);
            adapter& a = out_.adapters.back();
            if (kind_ == section::drive) a.drives[number_].present = true;
            else if (kind_ == section::logical) a.logicals[number_].defined = true;
            else a.candidates[number_].defined = true;
            logical_line_ = line_;
            break;
        }
        case section::event: {
            auto& events = out_.adapters.back().events;
            if (events.count(number)) return error("[" + std::string(inner) + "] is described twice");
            events[number].assign(EVENT_SIZE, 0);
            break;
        }
        case section::none: break;
        }
        return {};
    }

    std::string close_logical()
    {
        if (kind_ != section::logical && kind_ != section::candidate) return {};
        const bool candidate = kind_ == section::candidate;
        kind_ = section::none;
        const adapter& a = out_.adapters.back();
        const std::string e = check_logical(candidate ? a.candidates[number_] : a.logicals[number_]);
        if (e.empty()) return e;
        return "line " + std::to_string(logical_line_) + (candidate ? ": restore candidate " : ": logical drive ") +
               std::to_string(number_) + ": " + e;
    }

    std::string close_adapter()
    {
        if (out_.adapters.empty() || adapter_closed_) return {};
        adapter_closed_ = true;
        faults_seen_ = false;
        const adapter& a = out_.adapters.back();
        const std::string e = check_adapter(a);
        if (e.empty()) return e;
        return "line " + std::to_string(adapter_line_) + ": adapter on port " + std::to_string(a.port) + ": " + e;
    }

    scenario& out_;
    section kind_ = section::none;
    std::size_t number_ = 0;
    int line_ = 0;
    int adapter_line_ = 0;
    int logical_line_ = 0;
    bool adapter_closed_ = true;
    bool faults_seen_ = false;
    std::bitset<DRIVE_SLOTS + 2 * LOGICAL_SLOTS> described_;
    std::vector<std::string> seen_;
};

} // namespace

std::string parse_scenario(const std::string& text, scenario& out)
{
    out = {};
    parser p(out);
    std::size_t at = 0;
    int number = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (std::string e = p.line(std::string_view(text).substr(at, end - at), ++number); !e.empty()) return e;
        at = end + 1;
    }
    return p.finish();
}

std::string parse_adapter(const std::string& text, adapter& out)
{
    scenario s;
    if (std::string e = parse_scenario(text, s); !e.empty()) return e;
    if (s.adapters.size() != 1 || !s.ports.empty()) return "the state holds not exactly one adapter";
    out = std::move(s.adapters.front());
    return {};
}

std::string apply_drive_setting(physical_drive& drive, std::string_view key, std::string_view value)
{
    return apply_field(drive_fields(), drive, key, value);
}

std::string format_adapter(const adapter& a)
{
    std::string out = "[adapter " + std::to_string(a.port) + "]\n";
    write_fields(out, adapter_fields(), a);
    out += "\n[faults]\n";
    write_fields(out, fault_fields(), a.faults);
    const physical_drive absent;
    for (std::size_t d = 0; d < DRIVE_SLOTS; ++d) {
        if (!a.drives[d].present && a.drives[d] == absent) continue;
        out += "\n[drive " + std::to_string(d) + "]\n";
        write_fields(out, drive_fields(), a.drives[d]);
    }
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (!a.logicals[n].defined) continue;
        out += "\n[logical " + std::to_string(n) + "]\n";
        write_fields(out, logical_fields(), a.logicals[n]);
    }
    for (std::size_t n = 0; n < LOGICAL_SLOTS; ++n) {
        if (!a.candidates[n].defined) continue;
        out += "\n[candidate " + std::to_string(n) + "]\n";
        write_fields(out, logical_fields(), a.candidates[n]);
    }
    for (const auto& [slot, entry] : a.events) {
        out += "\n[event " + std::to_string(slot) + "]\ndata = " + format_event(entry) + "\n";
    }
    return out;
}

} // namespace sim
