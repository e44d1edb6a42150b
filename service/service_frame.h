// The service frame: program entry with the dispatcher, the service main
// routine (start-up sequence, monitor loop, stop sequence) and the control
// handler.
#ifndef ZAN_SERVICE_FRAME_H
#define ZAN_SERVICE_FRAME_H

namespace zan {

// Runs the service under the service controller; returns the exit code of
// the program (0, or 1 when the dispatcher could not start).
int run_service_program();

} // namespace zan

#endif
