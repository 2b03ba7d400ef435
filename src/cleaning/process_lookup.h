// Processes looked up by image name (name folding) in the system's snapshot.
#pragma once
#include <cstdint>

#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// A process whose image name matches (snapshot of everything, kSnapAll).
bool process_is_running(Ports& ports, const Text& name);

// The first matching process in snapshot order (kSnapProcess), the tool's
// own process passed over; 0 when none matches.
std::uint32_t find_process_id(Ports& ports, const Text& name);

// Ends the process find_process_id finds; true when it was terminated.
bool terminate_process_by_name(Ports& ports, const Text& name);

// The first process, other than the tool's own, whose image file is the given
// file (full path, letter case ignored); 0 when none.
std::uint32_t find_process_by_image(Ports& ports, const Text& image_path);

// The tool's own image name, folded; empty when it cannot be read.
Text own_image_name(Ports& ports);

}  // namespace tc
