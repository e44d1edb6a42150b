// -AdpFwFlash: writes a firmware image file into the flash ROM of the listed
// adapters. The image is checked, compared with the adapter's revision,
// shown and confirmed, then sent in pieces as WRITE BUFFER requests straight
// to the port of the adapter whose information was checked and shown, while a
// progress bar follows. Every failure ends the run at once with a Windows
// error code as its status.
#include "firmware_update.h"

#include <cctype>
#include <string_view>

#include <plat/error.h>
#include <plat/file.h>

#include "commands.h"
#include "display_console.h"
#include "firmware_download.h"
#include "firmware_image.h"
#include "ld_options.h"
#include "library_errors.h"
#include "messages.h"
#include "options.h"
#include "output.h"
#include "progress_bar.h"
#include "record_text.h"
#include "zandllctl.h"

namespace cli {

namespace {

// Seen-flags of -AdpFwFlash.
enum : std::uint32_t {
    opt_file = 1u << 0,
    opt_no_version_check = 1u << 1,
    opt_version_down = 1u << 2,
    opt_adapter = 1u << 3,
};

struct flash_options {
    std::string file_name;
    bool no_version_check = false; // also skips the question
    bool version_down = false;
    adapter_selection adapters{};
};

// The file name of "-fFileName" with the case it was typed in: the token is
// the argument's tail, lowercased, so its length finds the name.
std::string typed_file_name(std::string_view argument, std::string_view token)
{
    return std::string(argument.substr(argument.size() - token.size() + 1));
}

outcome take_flash_option(frame& context, option_loop& loop, flash_options& options)
{
    const std::string_view token = loop.token;
    if (token.starts_with('f')) {
        options.file_name = typed_file_name(loop.argv[loop.index], token);
        return go_on_if(mark_seen(loop, opt_file));
    }
    if (token == "noverchk") {
        options.no_version_check = true;
        return go_on_if(mark_seen(loop, opt_no_version_check));
    }
    if (token == "verdown") {
        options.version_down = true;
        return go_on_if(mark_seen(loop, opt_version_down));
    }
    if (token.starts_with('a')) return take_adapter_option(context, loop, opt_adapter, options.adapters);
    return outcome::stop;
}

// Every rejection names the command argument.
outcome read_flash_options(frame& context, int argc, const char* const* argv, flash_options& options)
{
    option_loop loop{argc, argv};
    outcome taken = outcome::go_on;
    while (taken == outcome::go_on && next_option(loop)) taken = take_flash_option(context, loop, options);
    if (taken == outcome::fatal) return outcome::fatal;
    if (taken == outcome::go_on && (loop.seen & (opt_file | opt_adapter)) == (opt_file | opt_adapter))
        return outcome::go_on;
    sayf(msg::invalid_input, argv[1]);
    return outcome::stop;
}

// The Windows error a failure ends the run with; a failure that left no
// error of its own still must not end with status 0.
std::uint32_t failure_status(std::uint32_t windows_error)
{
    return windows_error != plat::ERR_SUCCESS ? windows_error : plat::ERR_IO_DEVICE;
}

// Prints the failure's message, if any, and returns the status the run ends
// with.
[[nodiscard]] int fail(frame& context, std::string_view message, std::uint32_t status)
{
    if (!message.empty()) say(message);
    return end_with_status(context, failure_status(status));
}

// The progress bar of one adapter's transfer, two lines above the cursor.
// When standard output is not a console it cannot be drawn in place; the bar
// line is then printed once, as far as it got, when the transfer ends.
class transfer_bar {
public:
    explicit transfer_bar(int adapter) : line_(format(msg::fw_progress_bar, adapter, "%"))
    {
        say(msg::fw_progress_heading);
        on_console_ = current_console().get_cursor(home_);
        if (!on_console_) return;
        say(line_);
        say("");
        on_console_ = current_console().get_cursor(home_);
    }

    void advance(int percent)
    {
        reached_ = percent;
        if (on_console_) draw_bar_to(drawn_, percent, console_bar_writer(home_.row - 2, home_));
    }

    void finish() const
    {
        if (on_console_) return;
        say(drawn_bar_line(line_, reached_));
        say("");
    }

private:
    std::string line_;
    plat::console_cursor home_{};
    bool on_console_ = false;
    bar_state drawn_;
    int reached_ = 0;
};

// Sends the image that follows the header; 0 when all of it went.
int transfer_image(frame& context, int adapter, zan::firmware_download& download, plat::file& image,
                   std::uint32_t length, const std::string& full_path)
{
    transfer_bar bar(adapter);
    const zan::download_result result =
        download.send_image(image, length, [&bar](int percent) { bar.advance(percent); });
    bar.finish();
    switch (result.end) {
    case zan::download_end::sent:
        return success_status;
    case zan::download_end::read_failed:
        return fail(context, format(msg::fw_file_read_failure, full_path.c_str()), result.os_error);
    case zan::download_end::send_failed:
        return fail(context, system_error_message(result.os_error), result.os_error);
    case zan::download_end::device_abnormal:
        break;
    }
    return fail(context, format(msg::fw_io_device_abnormal, adapter), plat::ERR_IO_DEVICE);
}

// The image file opened and its header checked; 0 when it is an image.
int open_checked_image(frame& context, const std::string& full_path, plat::file& image, zan::image_header& header)
{
    const zan::image_open_result opened = zan::open_image(full_path.c_str(), image, header);
    switch (opened.end) {
    case zan::image_open_end::opened:
        break;
    case zan::image_open_end::open_failed:
        return fail(context, format(msg::fw_file_open_failure, full_path.c_str()), opened.os_error);
    case zan::image_open_end::read_failed:
        return fail(context, format(msg::fw_file_read_failure, full_path.c_str()), opened.os_error);
    }
    switch (opened.check) {
    case zan::image_check::valid:
        return success_status;
    case zan::image_check::not_image:
        return fail(context, format(msg::fw_not_image, full_path.c_str()), plat::ERR_BAD_FORMAT);
    case zan::image_check::broken:
        break;
    }
    return fail(context, format(msg::fw_broken, full_path.c_str()), plat::ERR_INVALID_DATA);
}

// The whole update of one adapter: file, revision, question, transfer to
// the port the adapter's information names. 0 when the adapter has the new
// image.
int update_adapter(frame& context, const flash_options& options, int adapter, answer_reader& answers)
{
    std::string full_path;
    if (!plat::full_path_name(options.file_name.c_str(), full_path))
        return fail(context, format(msg::fw_file_not_found, options.file_name.c_str()), plat::ERR_FILE_NOT_FOUND);
    plat::file image;
    zan::image_header header{};
    if (const int status = open_checked_image(context, full_path, image, header); status != success_status)
        return status;

    zan::ContInfo info;
    if (!getContInfo(adapter, &info)) {
        // Only a failed Windows call inside the library leaves a Windows
        // error that belongs to this failure.
        const bool system = (DLLGetLastError() & zan::DLL_ERROR_SYSTEM) != 0;
        const std::uint32_t error = system ? plat::last_error() : plat::ERR_IO_DEVICE;
        report_library_error(adapter);
        return fail(context, {}, error);
    }
    if (!options.version_down && !options.no_version_check && zan::is_downgrade(info.general_revision, header.revision))
        return fail(context, format(msg::fw_downgrade_refused, adapter), plat::ERR_REVISION_MISMATCH);
    // The image goes to the very adapter checked above, whatever another
    // look at the registry would number it now.
    zan::firmware_download download;
    if (!download.open(info.port_number)) {
        const std::uint32_t error = plat::last_error();
        return fail(context, system_error_message(error), error);
    }

    put(image_information(info.general_revision, full_path, adapter, header));
    if (!options.no_version_check && confirm_update(answers) == answer::no)
        return fail(context, {}, plat::ERR_CANCELLED);

    if (const int status = transfer_image(context, adapter, download, image, header.image_length.get(), full_path);
        status != success_status)
        return status;
    sayf(msg::fw_completed, adapter);
    return success_status;
}

} // namespace

answer confirm_update(answer_reader& reader)
{
    for (;;) {
        put(msg::fw_confirm);
        char word = '\0';
        while (word == '\0') {
            while (reader.next < reader.pending.size() &&
                   std::isspace(static_cast<unsigned char>(reader.pending[reader.next])))
                ++reader.next;
            if (reader.next < reader.pending.size()) {
                word = reader.pending[reader.next++];
            } else {
                reader.next = 0;
                if (!reader.read_line(reader.pending, max_answer_chars)) return answer::no;
            }
        }
        if (word == 'Y' || word == 'y') {
            say("");
            return answer::yes;
        }
        if (word == 'N' || word == 'n') return answer::no;
    }
}

std::string image_information(const char (&current)[4], std::string_view full_path, int adapter,
                              const zan::image_header& header)
{
    return format(msg::fw_information, record_text(current).c_str(), std::string(full_path).c_str(), adapter,
                  record_text(header.revision).c_str(), header.date[0], header.date[1], header.date[2],
                  header.date[3], record_text(header.author).c_str(),
                  static_cast<unsigned>(header.image_length.get()));
}

int command_firmware_flash(frame& context, int argc, const char* const* argv)
{
    flash_options options;
    if (const outcome read = read_flash_options(context, argc, argv, options); read != outcome::go_on)
        return status_after(read);
    answer_reader answers;
    for (const std::uint8_t adapter : options.adapters.ids) {
        if (adapter == unused_entry) continue;
        if (const int status = update_adapter(context, options, adapter, answers); status != success_status)
            return status;
    }
    say(msg::fw_reactivation);
    return success_status;
}

} // namespace cli
