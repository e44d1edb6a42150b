// Firmware update from the adapter dialog: the path box rule, the image
// checks, the update information, the revision check and the download of the
// worker thread, block by block with a progress step each. The image checks
// and the WRITE BUFFER exchange are the ones zancli uses.
#ifndef GUI_FIRMWARE_H
#define GUI_FIRMWARE_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <plat/file.h>

#include "firmware_download.h"
#include "firmware_image.h"
#include "session.h"

namespace gui {

inline constexpr std::size_t path_box_limit = 259;
inline constexpr std::uint32_t block_size = 4096;
inline constexpr std::uint32_t block_pause_ms = 10;

// The path box: a text of 260 characters or more is cut to 259.
[[nodiscard]] std::string cut_path(const std::string& typed);
[[nodiscard]] bool update_button_enabled(const std::string& path, bool running);

// The progress bar's range: one step per full block and one for the rest.
[[nodiscard]] std::uint32_t progress_steps(std::uint32_t data_size);

struct firmware_update {
    std::string path;
    plat::file image;
    zan::image_header header{};
    std::optional<zan::firmware_download> port; // open from "execute" to the end of the download
    std::atomic<bool> running{false}; // cleared by the dialog when it closes
};

// Step 3: opens and checks the image; a failure shows its message, leaves
// the file closed and answers false.
[[nodiscard]] bool check_update_image(session& s, firmware_update& update, const std::string& path);

// The text of IDD_UPDATE_INFO.
[[nodiscard]] std::string update_info_text(session& s, const firmware_update& update);

// Steps 5 and 6 after "execute": the revision check and the adapter's port.
// False (message shown, file closed) when the update cannot run.
[[nodiscard]] bool prepare_download(session& s, firmware_update& update);

// Going back from IDD_UPDATE_INFO.
void cancel_update(firmware_update& update);

// Closing the adapter dialog: a running download is told to stop and gets
// 50 ms to finish its block.
void stop_update(firmware_update& update);

// The worker: sends every block while the running flag is set, calling
// `step` after each. Answers the message to show at the end: nothing when
// the dialog stopped it. Closes the file and the port; clears the flag.
// Runs on the worker thread: it shows nothing itself.
[[nodiscard]] std::optional<message> run_download(const session& s, firmware_update& update,
                                                  const std::function<void(std::uint32_t step)>& step);

} // namespace gui

#endif
