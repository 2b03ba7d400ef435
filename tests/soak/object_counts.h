// What a process holds, for soak tests: kernel handles, GDI and USER objects
// and private bytes. Where the system's own counters answer (Windows), they
// are used; Wine's answer 0, so there the objects are counted from handle
// values instead (see object_counts.cpp).
#pragma once
#include <cstddef>
#include <string>

namespace soak {

struct ObjectCounts {
  long handles = 0;
  long gdi = 0;
  long user = 0;
  std::size_t private_bytes = 0;
};

ObjectCounts count_objects();

// True when now holds no more than start, up to a small fixed slack: a few
// objects may come and go with caches, a leak of one per call shows as
// hundreds.
bool back_to_start(const ObjectCounts& start, const ObjectCounts& now);

// "handles 41, GDI 12, USER 30, private 2.1 MB" for failure messages.
std::string describe(const ObjectCounts& counts);

}  // namespace soak
