// -AdpFwFlash: the question before an update and the transfer of an image to
// one adapter.
#ifndef CLI_FIRMWARE_UPDATE_H
#define CLI_FIRMWARE_UPDATE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include <plat/device.h>

#include "prompt.h"

namespace cli {

// Answers to "Is the update executed?" are read a word at a time, one
// character of it per question: the rest of a word, and the rest of its
// line, stay for the next question.
struct answer_reader {
    line_reader read_line = plat::console_read_line;
    std::string pending;
    std::size_t next = 0;
};

// Asks until the answer is Y, y, N or n; the end of input answers no.
[[nodiscard]] answer confirm_update(answer_reader& reader);

// How sending one piece ended.
enum class piece_end {
    sent,
    send_failed,     // DeviceIoControl failed; os_error holds the reason
    device_abnormal, // the adapter stayed busy or kept failing the piece
};

struct piece_result {
    piece_end end;
    std::uint32_t os_error;
};

// Sends one piece of the image at `offset` to the adapter behind `port` as
// a WRITE BUFFER request, repeating it on busy and failure answers.
[[nodiscard]] piece_result send_piece(plat::device& port, std::uint32_t offset, const std::uint8_t* bytes,
                                      std::uint32_t size);

} // namespace cli

#endif
