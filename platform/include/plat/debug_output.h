// Debugger output (OutputDebugString).
#ifndef PLAT_DEBUG_OUTPUT_H
#define PLAT_DEBUG_OUTPUT_H

namespace plat {

// Hands `text` to the debugger; the hosted build writes it to standard error.
void debug_output(const char* text);

} // namespace plat

#endif
