// RegexObject: the platform's regular-expression component VBScript.RegExp,
// reached through IDispatch, and the regex port append_log uses.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <memory>

#include "core/text.h"
#include "ports/regex_port.h"

namespace tc {

// An owned IDispatch reference.
class DispatchRef {
 public:
  DispatchRef() = default;
  explicit DispatchRef(IDispatch* adopted) : p_(adopted) {}
  DispatchRef(const DispatchRef& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  DispatchRef& operator=(const DispatchRef& other) {
    DispatchRef copy(other);
    std::swap(p_, copy.p_);
    return *this;
  }
  DispatchRef(DispatchRef&& other) noexcept : p_(other.release()) {}
  DispatchRef& operator=(DispatchRef&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~DispatchRef() { reset(); }

  IDispatch* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  IDispatch* release() {
    IDispatch* p = p_;
    p_ = nullptr;
    return p;
  }
  void reset(IDispatch* adopted = nullptr) {
    if (p_ != nullptr) p_->Release();
    p_ = adopted;
  }

 private:
  IDispatch* p_ = nullptr;
};

// An owned VARIANT, cleared on every path.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant& other) {
    VariantInit(&v_);
    VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
  }
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  void clear() { VariantClear(&v_); }
  // Holds the ANSI text as a BSTR; false when it could not be converted.
  bool set_text(const Text& text);

 private:
  VARIANT v_;
};

class RegexObject {
 public:
  // Initialises COM for the calling thread (balanced by the destructor).
  RegexObject();
  ~RegexObject();  // destroy
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // A new object sharing the component and the match collection, with its
  // own copy of the subject.
  std::unique_ptr<RegexObject> copy() const;

  // Compiles the pattern in a fresh component and runs it over the subject.
  // quote_placeholder turns every "#引号" of the pattern into a double quote.
  // True when the component gave back a match collection (even an empty one).
  bool search(const Text& pattern, const Text& subject, bool case_sensitive = false,
              bool multi_line = true, bool global = true, bool quote_placeholder = false);

  // The last subject with every match replaced; empty when that failed.
  Text replace(const Text& replacement);
  // The same, telling a failed call apart from an empty result.
  bool try_replace(const Text& replacement, Text& result);

  // The component's "Pattern"; empty without a component.
  Text get_pattern();
  // Matches of the last search; 0 when there are none or no search was made.
  int match_count();
  // The 1-based match's text; *position (when given) receives its 0-based
  // byte offset in the subject, or -1 when there is no such match.
  Text match_text(int match, int* position = nullptr);
  // The 1-based group of the 1-based match, with the same position output.
  Text submatch_text(int match, int group, int* position = nullptr);
  // The number of groups of the first match; 0 without one.
  int submatch_count();

 private:
  DispatchRef item(int match);
  int byte_offset(const DispatchRef& match_object, const Text& text);

  bool com_initialised_ = false;
  DispatchRef component_;
  DispatchRef matches_;
  Variant subject_;
  Text subject_text_;
};

// The regex port over RegexObject: one object per call, as append_log uses it.
class Win32Regex : public RegexPort {
 public:
  bool search_replace(const Text& pattern, const Text& subject, const Text& replacement,
                      Text& result) override;
};

}  // namespace tc
