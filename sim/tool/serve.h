// zansim serve: the simulator link's server, through which the Windows test
// build reaches the simulated machine (sim/include/sim/link.h).
#ifndef SIM_TOOL_SERVE_H
#define SIM_TOOL_SERVE_H

#include "command_line.h"

// "serve [PORT]" serves until a signal or "serve stop PORT" ends it.
int cmd_serve(const args& a);

#endif
