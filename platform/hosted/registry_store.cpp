// Reading and replacing the registry file under its lock file.
#include "registry_store.h"

#include "plat/error.h"
#include "posix_io.h"
#include "sim/root.h"
#include "win_error.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
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

// The tree last read or written by this process, with the file it came from
// held open (file_identity). Readers share it; a change works on a copy.
struct parsed_registry {
    std::string path;
    file_identity identity;
    unique_fd pin;
    std::shared_ptr<const reg_tree> tree;
};

std::mutex parsed_mutex;
parsed_registry parsed;

std::shared_ptr<const reg_tree> base_keys()
{
    static const std::shared_ptr<const reg_tree> base = std::make_shared<const reg_tree>(base_tree());
    return base;
}

// Reads the registry file (the caller holds a lock on it). `exists` is false
// for a root without one, which reads as the base keys.
std::uint32_t read_tree(const store_paths& paths, std::shared_ptr<const reg_tree>& tree, bool& exists)
{
    struct stat st {};
    exists = ::stat(paths.file.c_str(), &st) == 0;
    if (!exists) {
        if (errno != ENOENT) return error_from_errno(errno);
        tree = base_keys();
        return ERR_SUCCESS;
    }
    const std::lock_guard<std::mutex> guard(parsed_mutex);
    if (parsed.pin.valid() && parsed.path == paths.file && parsed.identity == identity_of(st)) {
        tree = parsed.tree;
        return ERR_SUCCESS;
    }
    unique_fd fd(::open(paths.file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return error_from_errno(errno);
    std::string text;
    if (const int error = read_all(fd.get(), text); error != 0) return error_from_errno(error);
    auto fresh = std::make_shared<reg_tree>();
    if (!parse_reg_text(text, *fresh)) return ERR_BADDB;
    parsed = {paths.file, identity_of(st), std::move(fd), std::move(fresh)};
    tree = parsed.tree;
    return ERR_SUCCESS;
}

// Keeps the tree just written as the parsed copy of the new file.
void remember(const store_paths& paths, reg_tree&& tree)
{
    unique_fd fd(::open(paths.file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    const std::lock_guard<std::mutex> guard(parsed_mutex);
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        parsed = {};
        return;
    }
    parsed = {paths.file, identity_of(st), std::move(fd), std::make_shared<const reg_tree>(std::move(tree))};
}

} // namespace

std::uint32_t load_registry(std::shared_ptr<const reg_tree>& tree)
{
    const store_paths paths = current_paths();
    unique_fd lock(::open(paths.lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
    if (!lock.valid()) {
        // No root folder yet: the machine has only its base keys.
        if (errno != ENOENT) return error_from_errno(errno);
        tree = base_keys();
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

    std::shared_ptr<const reg_tree> current;
    bool exists = false;
    if (const std::uint32_t code = read_tree(paths, current, exists); code != ERR_SUCCESS) return code;
    reg_tree tree = *current;
    const std::string before = format_reg_text(tree);
    if (const std::uint32_t code = change(tree); code != ERR_SUCCESS) return code;
    const std::string after = format_reg_text(tree);
    if (exists && after == before) return ERR_SUCCESS;
    // The registry is the machine's configuration and changes seldom: every
    // change is made to survive a machine crash.
    if (const int error = replace_file(paths.file, after, durability::machine_crash); error != 0) {
        return error_from_errno(error);
    }
    remember(paths, std::move(tree));
    return ERR_SUCCESS;
}

} // namespace plat::hosted
