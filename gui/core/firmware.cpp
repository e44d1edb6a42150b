#include "firmware.h"

#include <cstdio>
#include <memory>

#include <plat/sync.h>

#include "state_text.h"

namespace gui {

namespace {

inline constexpr std::uint32_t close_wait_ms = 50;

bool image_extension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = path.substr(dot);
    return extension == ".IMG" || extension == ".img";
}

message update_message(const session& s, const std::string& body, icon kind)
{
    return {body, s.tr(texts::update_info_title), kind, buttons::ok, false};
}

void refuse(session& s, firmware_update& update, const text& reason)
{
    update.image.close();
    s.ui.show(update_message(s, s.tr(reason), icon::error));
}

} // namespace

std::string cut_path(const std::string& typed)
{
    return typed.size() > path_box_limit ? typed.substr(0, path_box_limit) : typed;
}

bool update_button_enabled(const std::string& path, bool running)
{
    return !path.empty() && !running;
}

std::uint32_t progress_steps(std::uint32_t data_size)
{
    return data_size / block_size + (data_size % block_size != 0 ? 1 : 0);
}

bool check_update_image(session& s, firmware_update& update, const std::string& path)
{
    update.path = path;
    const zan::image_open_result opened = zan::open_image(path.c_str(), update.image, update.header);
    switch (opened.end) {
    case zan::image_open_end::open_failed:
        refuse(s, update, texts::image_not_found);
        return false;
    case zan::image_open_end::read_failed:
        refuse(s, update, texts::image_read_failed);
        return false;
    case zan::image_open_end::opened:
        break;
    }
    if (opened.check == zan::image_check::not_image || !image_extension(path)) {
        refuse(s, update, texts::not_update_image);
        return false;
    }
    if (opened.check != zan::image_check::valid) {
        refuse(s, update, texts::image_broken);
        return false;
    }
    return true;
}

std::string update_info_text(session& s, const firmware_update& update)
{
    const zan::image_header& h = update.header;
    const controller_view& view = s.controller();
    std::string text;
    if (view.kind == 2 || view.kind == 3)
        text += "Current General Revision\t" + record_text(view.info.general_revision) + "\r\n";
    text += "Update File\r\n";
    text += "Location\t\t" + update.path + "\r\n";
    text += "General Revision\t" + record_text(h.revision) + "\r\n";
    char line[64];
    std::snprintf(line, sizeof line, "Date\t\t\t%x%.2x/%x/%x\r\n", h.date[0], h.date[1], h.date[2], h.date[3]);
    text += line;
    text += "Author\t\t\t" + record_text(h.author) + "\r\n";
    std::snprintf(line, sizeof line, "Size\t\t\t%xH\r\n", h.image_length.get());
    text += line;
    return text;
}

bool prepare_download(session& s, firmware_update& update)
{
    const controller_view& view = s.controller();
    if (zan::is_downgrade(view.info.general_revision, update.header.revision)) {
        refuse(s, update, texts::image_older);
        return false;
    }
    update.port.emplace();
    if (!update.port->open(view.info.port_number)) {
        update.port.reset();
        update.image.close();
        show_message(s, s.tr(texts::adapter_handle_failed), texts::console_title, icon::error);
        return false;
    }
    update.running = true;
    return true;
}

void cancel_update(firmware_update& update)
{
    update.image.close();
}

void stop_update(firmware_update& update)
{
    if (!update.running.exchange(false)) return;
    plat::sleep_ms(close_wait_ms);
}

std::optional<message> run_download(const session& s, firmware_update& update,
                                    const std::function<void(std::uint32_t step)>& step)
{
    const std::uint32_t size = update.header.image_length.get();
    const std::uint32_t steps = progress_steps(size);
    const auto buffer = std::make_unique<std::uint8_t[]>(block_size);
    std::optional<message> result = update_message(s, s.tr(texts::update_done), icon::information);
    for (std::uint32_t block = 0; block < steps; ++block) {
        if (!update.running) {
            result.reset();
            break;
        }
        const std::uint32_t offset = block * block_size;
        const std::uint32_t length = std::min(block_size, size - offset);
        std::size_t count = 0;
        if (!update.image.read(buffer.get(), length, count) || count != length) {
            result = update_message(s, s.tr(texts::image_read_failed), icon::error);
            break;
        }
        const zan::download_result sent = update.port->send_piece(offset, {buffer.get(), length});
        if (sent.end == zan::download_end::send_failed) {
            result = update_message(s, format_text(s.tr(texts::update_api_failed), sent.os_error), icon::error);
            break;
        }
        if (sent.end != zan::download_end::sent) {
            result = update_message(s, s.tr(texts::update_io_failed), icon::error);
            break;
        }
        step(block + 1);
        plat::sleep_ms(block_pause_ms);
    }
    update.image.close();
    update.port.reset();
    update.running = false;
    return result;
}

} // namespace gui
