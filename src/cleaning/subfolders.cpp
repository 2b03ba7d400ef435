#include "cleaning/subfolders.h"

namespace tc {

int list_subfolders(Ports& ports, const Text& folder, TextList& subfolders) {
  const Text base = with_backslash(folder);
  auto search = ports.files.find_first(base + "*.*");
  if (!search) return 0;
  int count = 0;
  FindEntry entry;
  while (search->next(entry)) {
    if ((entry.attributes & kAttrDirectory) == 0) continue;
    if (!entry.name.empty() && entry.name[0] != '.') {
      subfolders.push_back(base + entry.name);
      ++count;
    }
    ports.events.process_events();
  }
  return count;
}

}  // namespace tc
