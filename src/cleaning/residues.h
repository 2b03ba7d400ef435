// Removing one product's residues from its folder.
#pragma once
#include "core/text.h"
#include "ports/ports.h"

namespace tc {

// Executables first (loud removal), then the other files in "del" passes that
// end at the first deletion, then the folders. True when any listed name was
// found as a plain file or plain folder; false, with nothing written, if not.
bool remove_residues(Ports& ports, const Text& folder, const TextList& residues);

}  // namespace tc
