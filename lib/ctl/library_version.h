// The library's own version: the FileVersion string that getDLLVersion and
// the debug log's banner report. Implemented by the build's backend folder.
#ifndef ZAN_LIBRARY_VERSION_H
#define ZAN_LIBRARY_VERSION_H

#include <string>

namespace zan {

// False with the OS last error set when the version cannot be read.
[[nodiscard]] bool library_file_version(std::string& version);

} // namespace zan

#endif
