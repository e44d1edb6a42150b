// The volume search of the builds whose volumes are the simulated machine's
// (hosted, and the Windows test build over the simulator link): the names
// are taken once when the search starts and handed out one by one.
#pragma once

#include <string>
#include <vector>

#include "plat/volumes.h"

namespace plat {

// Starts `search` over `names` and gives the first; false with the last
// error set when there is no memory for the list or no name in it.
[[nodiscard]] bool start_volume_list(volume_search& search, std::vector<std::string> names, std::string& name);

} // namespace plat
