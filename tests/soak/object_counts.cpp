#include "soak/object_counts.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/committed_memory.h"

namespace soak {

namespace {

// A batch of fresh objects takes every free slot of the table first and then
// extends it, and handle values follow the slot. So the highest value in the
// batch, counted in slots, less the batch size is the number of slots held,
// up to a constant that cancels between two counts. That holds while the
// batch is larger than the free slots: the last count's own batch left that
// many, so each count makes more than the one before it (the tests free far
// fewer than the growth between two counts).
int next_batch(int& batch) { return batch += 200; }

template <class Make, class Free>
long count_by_handle_values(Make make, Free free, unsigned long (*value_of)(void*), int& batch) {
  const int size = next_batch(batch);
  std::vector<void*> made;
  made.reserve(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) {
    void* object = make();
    if (object == nullptr) break;
    made.push_back(object);
  }
  std::vector<unsigned long> values;
  for (void* object : made) values.push_back(value_of(object));
  // Freed in the order made, so the most recently freed slot is the highest
  // and the next count's extension starts where this one's ended.
  for (void* object : made) free(object);
  if (values.size() < 2) return -1;
  std::sort(values.begin(), values.end());
  unsigned long step = 0;
  for (std::size_t i = 1; i < values.size(); ++i) {
    const unsigned long gap = values[i] - values[i - 1];
    if (gap != 0 && (step == 0 || gap < step)) step = gap;
  }
  if (step == 0) return -1;
  return static_cast<long>(values.back() / step) + 1 - static_cast<long>(values.size());
}

unsigned long kernel_slot(void* handle) { return static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handle)); }
// GDI and USER handles carry a reuse counter in their upper half.
unsigned long low_half(void* handle) { return LOWORD(reinterpret_cast<ULONG_PTR>(handle)); }

long kernel_handles() {
  static int batch = 1000;
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return static_cast<long>(count);
  return count_by_handle_values([] { return static_cast<void*>(CreateEventA(nullptr, TRUE, FALSE, nullptr)); },
                                [](void* h) { CloseHandle(h); }, kernel_slot, batch);
}

long gdi_objects() {
  static int batch = 1000;
  if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
  return count_by_handle_values([] { return static_cast<void*>(CreateSolidBrush(RGB(1, 2, 3))); },
                                [](void* h) { DeleteObject(static_cast<HGDIOBJ>(h)); }, low_half, batch);
}

long user_objects() {
  static int batch = 1000;
  if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<long>(count);
  return count_by_handle_values([] { return static_cast<void*>(CreatePopupMenu()); },
                                [](void* h) { DestroyMenu(static_cast<HMENU>(h)); }, low_half, batch);
}

// Wine keeps USER objects in one table for every process of the session, so
// another program's window coming or going moves the count: read it until
// two readings agree.
long settled_user_objects() {
  long last = user_objects();
  for (int i = 0; i < 20; ++i) {
    Sleep(20);
    const long now = user_objects();
    if (now == last) break;
    last = now;
  }
  return last;
}

}  // namespace

ObjectCounts count_objects() {
  // The first use of the window functions makes what a thread keeps for its
  // life (its message queue, among others); that is not the caller's to count.
  static const bool warmed = [] {
    kernel_handles();
    gdi_objects();
    user_objects();
    return true;
  }();
  (void)warmed;
  ObjectCounts counts;
  counts.handles = kernel_handles();
  counts.gdi = gdi_objects();
  counts.user = settled_user_objects();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory)))
    counts.private_bytes = memory.PrivateUsage;
  if (counts.private_bytes == 0) counts.private_bytes = tc_test::committed_private_bytes(GetCurrentProcess());
  return counts;
}

bool back_to_start(const ObjectCounts& start, const ObjectCounts& now) {
  constexpr long kObjects = 3;
  constexpr std::size_t kPrivateBytes = 1024 * 1024;
  return now.handles <= start.handles + kObjects && now.gdi <= start.gdi + kObjects &&
         now.user <= start.user + kObjects && now.private_bytes <= start.private_bytes + kPrivateBytes;
}

std::string describe(const ObjectCounts& counts) {
  char text[160];
  std::snprintf(text, sizeof(text), "handles %ld, GDI %ld, USER %ld, private %.2f MB", counts.handles,
                counts.gdi, counts.user, static_cast<double>(counts.private_bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace soak
