// How long one wait_with_events lasts, worked out apart from the wait itself
// so the unit table and its rounding can be checked without waiting hours.
#pragma once
#include <cstdint>

namespace tc {

// Milliseconds of one interval step: unit 0 → 1, 1 → 1000 (seconds),
// 2 → 60000 (minutes), 3 → 3600000 (hours), any other value → itself.
std::int64_t wait_step_ms(std::int64_t unit);

// Relative due time for SetWaitableTimer in 100-ns units (negative), computed
// in double precision and truncated; held inside the 64-bit range.
std::int64_t wait_due_time(std::int32_t interval, std::int64_t unit);

// The same length as a message-queue time-out in milliseconds: 0 for nothing
// to wait, never INFINITE.
std::uint32_t wait_timeout_ms(std::int32_t interval, std::int64_t unit);

}  // namespace tc
