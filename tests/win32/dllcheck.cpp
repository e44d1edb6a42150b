// Loads zandllctl.dll at run time as an outside program would: finds every
// export under its plain name, then asks the library for its version and
// prints it on standard output. Problems go to standard error and make the
// exit status non-zero.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using get_version_size_fn = int(WINAPI*)(int*);
using get_version_fn = int(WINAPI*)(char*, unsigned int);

int failures = 0;

// GetProcAddress hands back a generic function pointer; going through
// void (*)() is the sanctioned way to give it its real type.
template <typename Fn>
Fn lookup(HMODULE dll, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

void fail(const char* what, unsigned long detail)
{
    std::fprintf(stderr, "dllcheck: %s (%lu)\n", what, detail);
    ++failures;
}

// Reads the version through both version exports: the full string, and a
// copy cut to one character, which must still end in a zero.
void check_version(HMODULE dll)
{
    const auto get_size = lookup<get_version_size_fn>(dll, "getDLLVersionSize");
    const auto get_version = lookup<get_version_fn>(dll, "getDLLVersion");
    if (get_size == nullptr || get_version == nullptr)
        return;

    int size = 0;
    if (get_size(&size) != 1 || size < 2) {
        fail("getDLLVersionSize failed or gave a size below 2", static_cast<unsigned long>(size));
        return;
    }
    std::vector<char> version(static_cast<std::size_t>(size) + 1, '#');
    if (get_version(version.data(), static_cast<unsigned int>(size)) != 1) {
        fail("getDLLVersion failed", GetLastError());
        return;
    }
    if (std::strlen(version.data()) != static_cast<std::size_t>(size) - 1) {
        fail("getDLLVersion length differs from getDLLVersionSize", static_cast<unsigned long>(size));
        return;
    }

    char cut[3] = {'#', '#', '#'};
    if (get_version(cut, 2) != 1 || cut[0] != version[0] || cut[1] != '\0' || cut[2] != '#')
        fail("getDLLVersion with size 2 did not give one character and a zero", 2);

    std::printf("%s\n", version.data());
}

} // namespace

// Usage: dllcheck NAME...: every NAME must be an export found by its plain name.
int main(int argc, char** argv)
{
    HMODULE dll = LoadLibraryA("zandllctl.dll");
    if (dll == nullptr) {
        fail("cannot load zandllctl.dll", GetLastError());
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (GetProcAddress(dll, argv[i]) == nullptr) {
            std::fprintf(stderr, "dllcheck: export %s not found\n", argv[i]);
            ++failures;
        }
    }
    check_version(dll);
    FreeLibrary(dll);
    return failures == 0 ? 0 : 1;
}
