// Last error and system message texts of the hosted build.
#include "plat/error.h"

#include "win_error.h"

#include <cerrno>
#include <cstdio>
#include <iterator>

namespace plat {

namespace {

thread_local std::uint32_t thread_last_error = ERR_SUCCESS;

struct message_entry {
    std::uint32_t code;
    const char* text;
};

// The English message texts Windows gives for the codes the programs meet.
constexpr message_entry system_messages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {11, "An attempt was made to load a program with an incorrect format.\r\n"},
    {13, "The data is invalid.\r\n"},
    {19, "The media is write protected.\r\n"},
    {21, "The device is not ready.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {50, "The request is not supported.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {121, "The semaphore timeout period has expired.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {170, "The requested resource is in use.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {234, "More data is available.\r\n"},
    {258, "The wait operation timed out.\r\n"},
    {259, "No more data is available.\r\n"},
    {288, "Attempt to release mutex not owned by caller.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n"},
    {1011, "The configuration registry key could not be opened.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1060, "The specified service does not exist as an installed service.\r\n"},
    {1062, "The service has not been started.\r\n"},
    {1063, "The service process could not connect to the service controller.\r\n"},
    {1117, "The request could not be performed because of an I/O device error.\r\n"},
    {1200, "The specified device name is invalid.\r\n"},
    {1223, "The operation was canceled by the user.\r\n"},
    {1813, "The specified resource type cannot be found in the image file.\r\n"},
};

struct errno_entry {
    int error_number;
    std::uint32_t code;
};

constexpr errno_entry errno_codes[] = {
    {ENOENT, ERR_FILE_NOT_FOUND},
    {ENOTDIR, ERR_PATH_NOT_FOUND},
    {ENXIO, ERR_FILE_NOT_FOUND},
    {ENODEV, ERR_FILE_NOT_FOUND},
    {EACCES, ERR_ACCESS_DENIED},
    {EPERM, ERR_ACCESS_DENIED},
    {EISDIR, ERR_ACCESS_DENIED},
    {EROFS, hosted::ERR_WRITE_PROTECT},
    {EBADF, ERR_INVALID_HANDLE},
    {ENOMEM, ERR_NOT_ENOUGH_MEMORY},
    {EMFILE, hosted::ERR_TOO_MANY_OPEN_FILES},
    {ENFILE, hosted::ERR_TOO_MANY_OPEN_FILES},
    {EEXIST, ERR_ALREADY_EXISTS},
    {EINVAL, ERR_INVALID_PARAMETER},
    {ENOSPC, hosted::ERR_DISK_FULL},
    {EDQUOT, hosted::ERR_DISK_FULL},
    {EFBIG, hosted::ERR_DISK_FULL},
    {EIO, ERR_IO_DEVICE},
    {EBUSY, hosted::ERR_BUSY},
    {EWOULDBLOCK, ERR_SHARING_VIOLATION},
    {ENAMETOOLONG, hosted::ERR_FILENAME_EXCED_RANGE},
    {ENOTEMPTY, hosted::ERR_DIR_NOT_EMPTY},
    {ETIMEDOUT, ERR_SEM_TIMEOUT},
    {ENOSYS, hosted::ERR_NOT_SUPPORTED},
    {EOPNOTSUPP, hosted::ERR_NOT_SUPPORTED},
};

} // namespace

std::uint32_t last_error()
{
    return thread_last_error;
}

void set_last_error(std::uint32_t code)
{
    thread_last_error = code;
}

std::string system_message(std::uint32_t code)
{
    for (const message_entry& entry : system_messages) {
        if (entry.code == code) return entry.text;
    }
    char text[48];
    std::snprintf(text, sizeof text, "Unknown error (0x%x).\r\n", static_cast<unsigned>(code));
    return text;
}

namespace hosted {

std::uint32_t error_from_errno(int error_number)
{
    for (const errno_entry& entry : errno_codes) {
        if (entry.error_number == error_number) return entry.code;
    }
    return ERR_GEN_FAILURE;
}

std::uint32_t set_last_error_from_errno()
{
    const std::uint32_t code = error_from_errno(errno);
    set_last_error(code);
    return code;
}

} // namespace hosted

} // namespace plat
