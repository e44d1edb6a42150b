// Loads a simulated root's registry file (the hosted build's registry.reg,
// Registry Editor 5.00 text) into the registry of a Wine prefix, so that the
// Windows programs under test read what the hosted ones would. The suite's
// keys are replaced whole: HARDWARE\DEVICEMAP\Scsi and the keys of the
// service, the log tool and the utility. Keys under a volatile parent (Wine
// keeps HARDWARE in memory) are created volatile, which regedit cannot do.
//
// Usage: regload FILE. Prints the line it cannot load and exits 1.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* REPLACED[] = {
    "HARDWARE\\DEVICEMAP\\Scsi",
    "SYSTEM\\CurrentControlSet\\Services\\zanservice",
    "SOFTWARE\\Meridan",
};
constexpr char HIVE[] = "HKEY_LOCAL_MACHINE\\";

HKEY create_key(const std::string& path)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc == ERROR_CHILD_MUST_BE_VOLATILE) {
        rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &key, nullptr);
    }
    return rc == ERROR_SUCCESS ? key : nullptr;
}

// A quoted name or string from `at` (after its opening quote); `at` ends
// after the closing quote.
bool quoted(const std::string& line, std::size_t& at, std::string& out)
{
    out.clear();
    for (; at < line.size(); ++at) {
        if (line[at] == '"') {
            ++at;
            return true;
        }
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        out += line[at];
    }
    return false;
}

bool hex_bytes(const std::string& text, std::vector<BYTE>& out)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t comma = text.find(',', at);
        const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        char* end = nullptr;
        const unsigned long value = std::strtoul(item.c_str(), &end, 16);
        if (item.empty() || *end != '\0' || value > 0xFF) return false;
        out.push_back(static_cast<BYTE>(value));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return true;
}

// One value line: "name"="text", "name"=dword:xxxxxxxx or "name"=hex(N):..
bool set_value(HKEY key, const std::string& line)
{
    std::size_t at = 1;
    std::string name;
    if (line[0] != '"' || !quoted(line, at, name) || at >= line.size() || line[at] != '=') return false;
    const std::string data = line.substr(at + 1);
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
    if (!data.empty() && data[0] == '"') {
        std::size_t from = 1;
        std::string text;
        if (!quoted(data, from, text) || from != data.size()) return false;
        bytes.assign(text.begin(), text.end());
        bytes.push_back(0);
    } else if (data.rfind("dword:", 0) == 0 && data.size() == 14) {
        const DWORD value = std::strtoul(data.c_str() + 6, nullptr, 16);
        type = REG_DWORD;
        bytes.assign(reinterpret_cast<const BYTE*>(&value), reinterpret_cast<const BYTE*>(&value) + 4);
    } else if (data.rfind("hex:", 0) == 0) {
        type = REG_BINARY;
        if (!hex_bytes(data.substr(4), bytes)) return false;
    } else if (data.rfind("hex(", 0) == 0 && data.find("):") != std::string::npos) {
        type = std::strtoul(data.c_str() + 4, nullptr, 16);
        if (!hex_bytes(data.substr(data.find("):") + 2), bytes)) return false;
    } else {
        return false;
    }
    return RegSetValueExA(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("usage: regload FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::printf("regload: cannot read %s\n", argv[1]);
        return 1;
    }
    for (const char* path : REPLACED) RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);

    HKEY key = nullptr;
    std::string line;
    std::string pending;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Long hex data goes on over lines ending in a backslash.
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        if (!pending.empty()) {
            std::size_t start = line.find_first_not_of(' ');
            line = pending + (start == std::string::npos ? "" : line.substr(start));
            pending.clear();
        }
        if (first) {
            first = false;
            continue; // the format line
        }
        bool ok = true;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (key != nullptr) RegCloseKey(key);
            ok = line.back() == ']' && line.rfind(HIVE, 1) == 1 &&
                 (key = create_key(line.substr(1 + sizeof HIVE - 1, line.size() - sizeof HIVE - 1))) != nullptr;
        } else {
            ok = key != nullptr && set_value(key, line);
        }
        if (!ok) {
            std::printf("regload: cannot load: %s\n", line.c_str());
            return 1;
        }
    }
    if (key != nullptr) RegCloseKey(key);
    return 0;
}
