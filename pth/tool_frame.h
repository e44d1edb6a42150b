// The frame of zanpth: the command table, the usage text and the run.
#ifndef PTH_TOOL_FRAME_H
#define PTH_TOOL_FRAME_H

#include <string_view>

#include "tool_commands.h"

namespace pth {

struct command_entry {
    const char* name;
    int min_args; // the argument count, program name included
    int max_args;
    void (*routine)(const pass_caller&, command_args);
    bool takes_args;
};

// The command table, searched in order; names are case-sensitive.
std::span<const command_entry> command_table();

// The entry of `word` run with `argc` arguments: nullptr when no entry has
// that name or the count is outside its range.
const command_entry* find_command(std::string_view word, int argc);

extern const char* const usage_text;

// The whole run: load the library, dispatch, release. Returns the exit code.
int run(int argc, char** argv);

} // namespace pth

#endif
