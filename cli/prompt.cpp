#include "prompt.h"

#include "output.h"

namespace cli {

namespace {

// The answer's character when the line is one character and its line end
// ("\n", or "\r\n" from a console that keeps the carriage return).
char single_character(const std::string& line)
{
    if (line.size() == 2 && line[1] == '\n') return line[0];
    if (line.size() == 3 && line[1] == '\r' && line[2] == '\n') return line[0];
    return '\0';
}

} // namespace

answer confirm(std::string_view question, line_reader read_line)
{
    std::string line;
    for (;;) {
        say(question);
        if (!read_line(line, max_answer_chars)) return answer::no;
        switch (single_character(line)) {
        case 'Y':
        case 'y':
            return answer::yes;
        case 'N':
        case 'n':
            return answer::no;
        default:
            break;
        }
    }
}

} // namespace cli
