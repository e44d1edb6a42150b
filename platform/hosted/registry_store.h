// The persistent registry of the simulated machine: <root>/registry.reg,
// guarded by <root>/registry.lock (shared for readers, exclusive for writers)
// and replaced whole by rename (replace_file), so that a reader never sees a
// torn file. Each process parses the file once and keeps the tree while the
// file is the same file.
#ifndef PLAT_HOSTED_REGISTRY_STORE_H
#define PLAT_HOSTED_REGISTRY_STORE_H

#include "registry_tree.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace plat::hosted {

// Reads the registry. A root without a registry file reads as the base keys.
// ERR_BADDB for a file that does not parse; a Windows code for I/O failures.
[[nodiscard]] std::uint32_t load_registry(std::shared_ptr<const reg_tree>& tree);

// Applies `change` to the registry under the writers' lock and saves the
// result when `change` returns ERR_SUCCESS (the root and the file with its
// base keys are created when missing). Returns the code of `change`, or the
// code of a failure to read or write the store.
[[nodiscard]] std::uint32_t update_registry(const std::function<std::uint32_t(reg_tree&)>& change);

} // namespace plat::hosted

#endif
