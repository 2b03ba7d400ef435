#include "system/wait_time.h"

namespace tc {

std::int64_t wait_step_ms(std::int64_t unit) {
  switch (unit) {
    case 0: return 1;
    case 1: return 1000;
    case 2: return 60000;
    case 3: return 3600000;
    default: return unit;
  }
}

std::int64_t wait_due_time(std::int32_t interval, std::int64_t unit) {
  const double due = static_cast<double>(interval) * static_cast<double>(wait_step_ms(unit)) * -10000.0;
  // Converting a double outside the 64-bit range is undefined: hold it at the ends.
  if (due <= -9223372036854775808.0) return INT64_MIN;
  if (due >= 9223372036854775807.0) return INT64_MAX;
  return static_cast<std::int64_t>(due);
}

std::uint32_t wait_timeout_ms(std::int32_t interval, std::int64_t unit) {
  const double ms = static_cast<double>(interval) * static_cast<double>(wait_step_ms(unit));
  if (!(ms > 0.0)) return 0;
  if (ms >= 4294967294.0) return 0xFFFFFFFEu;  // one below INFINITE
  return static_cast<std::uint32_t>(ms);
}

}  // namespace tc
