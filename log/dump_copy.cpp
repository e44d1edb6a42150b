#include "dump_copy.h"

#include <vector>

#include "plat/console.h"
#include "plat/error.h"
#include "plat/file.h"
#include "plat/folders.h"
#include "plat/registry.h"
#include "report.h"

namespace zanlog {

namespace {

constexpr char SERVICE_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\zanservice";
constexpr char DUMP_DIR_VALUE[] = "DumpDir";
constexpr std::uint32_t DUMP_DIR_CHARS = 260;
constexpr std::size_t COPY_PIECE_BYTES = 65536;

// The dump folder; false when the service's key cannot be opened. A value
// that cannot be read is an empty folder name.
bool read_dump_dir(std::string& folder)
{
    plat::reg_key key;
    if (const std::uint32_t error = key.open(SERVICE_KEY, plat::reg_access::read); error != plat::ERR_SUCCESS) {
        plat::set_last_error(error); // the exit code; nothing is shown
        return false;
    }
    char value[DUMP_DIR_CHARS + 1] = {};
    std::uint32_t type = 0;
    std::uint32_t size = DUMP_DIR_CHARS;
    if (key.query_value(DUMP_DIR_VALUE, type, value, size) != plat::ERR_SUCCESS || type != plat::REG_TYPE_SZ) {
        value[0] = '\0';
    }
    folder = value;
    return true;
}

bool copy(plat::file& source, const std::string& file_path)
{
    plat::file target;
    if (!target.create_replace_exclusive(file_path.c_str())) return report_error(plat::last_error(), shown::general);
    std::vector<std::uint8_t> piece(COPY_PIECE_BYTES);
    for (;;) {
        std::size_t count = 0;
        if (!source.read(piece.data(), piece.size(), count)) return report_error(plat::last_error(), shown::general);
        if (count == 0) break;
        if (!target.write(piece.data(), count)) return report_error(plat::last_error(), shown::general);
    }
    source.close();
    if (!target.close_checked()) return report_error(plat::last_error(), shown::general);
    return true;
}

} // namespace

bool copy_firmware_dump(int controller, const std::string& file_path)
{
    std::string folder;
    if (!read_dump_dir(folder)) return false;
    const std::string dump = folder + "/CONTno" + std::to_string(controller) + "/dump";
    plat::file source;
    if (!source.open_existing_read_exclusive(dump.c_str()) &&
        !source.open_existing_read_exclusive((dump + "0").c_str())) {
        plat::console_write("ZAN1001-I RAID there is not dump file.\n");
        plat::set_last_error(plat::ERR_FILE_NOT_FOUND);
        return false;
    }
    return copy(source, file_path);
}

} // namespace zanlog
