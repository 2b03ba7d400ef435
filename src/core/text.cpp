#include "core/text.h"

#include <cstring>

namespace tc {

Text text_from_bytes(const char* bytes, std::size_t count) {
  if (bytes == nullptr || count == 0) return Text();
  const void* zero = std::memchr(bytes, 0, count);
  std::size_t n = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : count;
  return Text(bytes, n);
}

bool ends_with_backslash(const Text& path) { return !path.empty() && path.back() == '\\'; }

Text with_backslash(const Text& path) { return ends_with_backslash(path) ? path : path + '\\'; }

}  // namespace tc
