// -AdpFwFlash: the question before an update and the information block
// shown before it.
#ifndef CLI_FIRMWARE_UPDATE_H
#define CLI_FIRMWARE_UPDATE_H

#include <cstddef>
#include <string>
#include <string_view>

#include "firmware_image.h"
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

// The block shown before the question: current revision, full path, adapter,
// the image's revision, date, author and length.
[[nodiscard]] std::string image_information(const char (&current)[4], std::string_view full_path, int adapter,
                                            const zan::image_header& header);

} // namespace cli

#endif
