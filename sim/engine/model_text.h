// The text form of the model: scenario files and adapter state files share
// one INI-like format (documented in docs/simulator.md).
//
//   [port N]      a registry port without an adapter (key: driver)
//   [adapter N]   an adapter on SCSI port N; the sections below belong to it
//   [faults]      its pending faults
//   [drive N]     physical drive N (0-11)
//   [logical N]   logical drive N (0-11)
//
// An adapter's state file is the same text with exactly one adapter, every
// field written out.
#ifndef SIM_ENGINE_MODEL_TEXT_H
#define SIM_ENGINE_MODEL_TEXT_H

#include <string>
#include <string_view>

#include "model.h"

namespace sim {

// Parses a scenario. Returns an empty string or a message starting with
// "line N: ".
[[nodiscard]] std::string parse_scenario(const std::string& text, scenario& out);

// Parses an adapter state file: a scenario with exactly one adapter.
[[nodiscard]] std::string parse_adapter(const std::string& text, adapter& out);

// Sets one key of a [drive N] section on `drive`; empty or why not.
[[nodiscard]] std::string apply_drive_setting(physical_drive& drive, std::string_view key, std::string_view value);

// The full text of one adapter, which parse_adapter reads back unchanged.
std::string format_adapter(const adapter& a);

} // namespace sim

#endif
