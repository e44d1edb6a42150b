// The pass-through library, loaded at run time by file name; its functions
// are looked up by name when a command needs them.
#ifndef PTH_PTH_LIBRARY_H
#define PTH_PTH_LIBRARY_H

namespace pth {

using generic_function = void (*)();

// One backend per build (hosted/, win32/): the Windows build loads
// "zandllpth.dll" by the system's search, the hosted build the shared object
// beside the program. Failures leave the reason in plat::last_error().
class pth_library {
public:
    pth_library() = default;
    pth_library(const pth_library&) = delete;
    pth_library& operator=(const pth_library&) = delete;

    [[nodiscard]] bool load();
    [[nodiscard]] generic_function lookup(const char* name) const;
    [[nodiscard]] bool release();

    template <class Function>
    [[nodiscard]] Function find(const char* name) const
    {
        return reinterpret_cast<Function>(lookup(name));
    }

private:
    void* module_ = nullptr;
};

} // namespace pth

#endif
