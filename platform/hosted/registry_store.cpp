// Reading and replacing the registry file under its lock file.
#include "registry_store.h"

#include "plat/error.h"
#include "posix_io.h"
#include "sim/root.h"
#include "win_error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace plat::hosted {

namespace {

struct store_paths {
    std::string root;
    std::string file;
    std::string lock;
};

store_paths current_paths()
{
    store_paths paths;
    paths.root = sim::root_dir();
    paths.file = paths.root + "/registry.reg";
    paths.lock = paths.root + "/registry.lock";
    return paths;
}

std::uint32_t read_tree(const store_paths& paths, reg_tree& tree, bool& exists)
{
    std::string text;
    if (const int error = read_whole_file(paths.file, text, exists); error != 0) return error_from_errno(error);
    if (!exists) {
        tree = base_tree();
        return ERR_SUCCESS;
    }
    return parse_reg_text(text, tree) ? ERR_SUCCESS : ERR_BADDB;
}

} // namespace

std::uint32_t load_registry(reg_tree& tree)
{
    const store_paths paths = current_paths();
    unique_fd lock(::open(paths.lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.valid()) {
        // No root folder yet: the machine has only its base keys.
        if (errno != ENOENT) return error_from_errno(errno);
        tree = base_tree();
        return ERR_SUCCESS;
    }
    if (const int error = lock_file(lock.get(), LOCK_SH); error != 0) return error_from_errno(error);
    bool exists = false;
    return read_tree(paths, tree, exists);
}

std::uint32_t update_registry(const std::function<std::uint32_t(reg_tree&)>& change)
{
    const store_paths paths = current_paths();
    std::error_code made;
    std::filesystem::create_directories(paths.root, made);
    if (made) return error_from_errno(made.value());
    unique_fd lock(::open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.valid()) return error_from_errno(errno);
    if (const int error = lock_file(lock.get(), LOCK_EX); error != 0) return error_from_errno(error);

    reg_tree tree;
    bool exists = false;
    if (const std::uint32_t code = read_tree(paths, tree, exists); code != ERR_SUCCESS) return code;
    const std::string before = format_reg_text(tree);
    if (const std::uint32_t code = change(tree); code != ERR_SUCCESS) return code;
    const std::string after = format_reg_text(tree);
    if (exists && after == before) return ERR_SUCCESS;
    // The registry is the machine's configuration and changes seldom: every
    // change is made to survive a machine crash.
    if (const int error = replace_file(paths.file, after, durability::machine_crash); error != 0) {
        return error_from_errno(error);
    }
    return ERR_SUCCESS;
}

} // namespace plat::hosted
