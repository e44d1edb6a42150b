// The library's version on the hosted build: a shared object carries no
// version resource, so the version is compiled into the library itself.
#include "library_version.h"

namespace zan {

bool library_file_version(std::string& version)
{
    version = ZAN_DLLCTL_VERSION;
    return true;
}

} // namespace zan
