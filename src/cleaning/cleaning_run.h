// The click handler of the button: the whole cleaning pass.
#pragma once
#include "ports/ports.h"

namespace tc {

void run_cleaning(Ports& ports);

}  // namespace tc
