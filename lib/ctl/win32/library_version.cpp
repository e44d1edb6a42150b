// The library's version on Windows: the FileVersion of its own version
// resource, read back from the file by its name.
#include "library_version.h"

#include "plat/module.h"

namespace zan {

bool library_file_version(std::string& version)
{
    return plat::module_file_version("zandllctl.dll", version);
}

} // namespace zan
