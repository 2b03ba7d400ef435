// The platform's regular-expression component, as append_log needs it.
#pragma once
#include "core/text.h"

namespace tc {

class RegexPort {
 public:
  virtual ~RegexPort() = default;
  // search(pattern, subject) with the default options, then replace(with):
  // true and the replaced text in result, or false when the component could
  // not be created or failed (the caller then computes the same natively).
  virtual bool search_replace(const Text& pattern, const Text& subject, const Text& replacement,
                              Text& result) = 0;
};

}  // namespace tc
