#include "app/regex_object_win.h"

#include <objbase.h>

#include <string>
#include <utility>

namespace tc {

namespace {

std::wstring wide_from_ansi(const Text& text) {
  if (text.empty()) return std::wstring();
  const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
  if (count <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], count);
  return wide;
}

Text ansi_from_wide(const wchar_t* wide, int count) {
  if (wide == nullptr || count <= 0) return Text();
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return Text();
  Text text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, count, &text[0], bytes, nullptr, nullptr);
  return text;
}

bool find_dispid(IDispatch* object, const wchar_t* name, DISPID& id) {
  if (object == nullptr) return false;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

// args in the order the member takes them; IDispatch wants them reversed.
bool invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count,
            Variant* result) {
  DISPID id = 0;
  if (!find_dispid(object, name, id)) return false;
  VARIANT reversed[4];
  if (count > 4) return false;
  for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
  DISPPARAMS params = {count > 0 ? reversed : nullptr, nullptr, count, 0};
  DISPID named = DISPID_PROPERTYPUT;
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  result != nullptr ? result->get() : nullptr, nullptr, nullptr));
}

bool put_bool(IDispatch* object, const wchar_t* name, bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return invoke(object, name, DISPATCH_PROPERTYPUT, &v, 1, nullptr);
}

bool get_value(IDispatch* object, const wchar_t* name, Variant& out, VARIANT* args = nullptr,
               UINT count = 0) {
  out.clear();
  return invoke(object, name, DISPATCH_PROPERTYGET, args, count, &out);
}

bool as_text(Variant& value, Text& text) {
  if (value.get()->vt == VT_EMPTY || value.get()->vt == VT_NULL) {
    text.clear();
    return true;
  }
  if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR))) return false;
  const BSTR s = value.get()->bstrVal;
  text = ansi_from_wide(s, s != nullptr ? static_cast<int>(SysStringLen(s)) : 0);
  return true;
}

bool as_int(Variant& value, int& number) {
  if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_I4))) return false;
  number = value.get()->lVal;
  return true;
}

DispatchRef as_object(Variant& value) {
  if (value.get()->vt != VT_DISPATCH || value.get()->pdispVal == nullptr) return DispatchRef();
  IDispatch* object = value.get()->pdispVal;
  object->AddRef();
  return DispatchRef(object);
}

DispatchRef create_component() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"VBScript.RegExp", &clsid))) return DispatchRef();
  IDispatch* object = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object)))) {
    return DispatchRef();
  }
  return DispatchRef(object);
}

Text with_quotes(const Text& pattern) {
  static const Text placeholder = "#引号";
  Text out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = pattern.find(placeholder, from);
    if (at == Text::npos) break;
    out.append(pattern, from, at - from);
    out.push_back('"');
    from = at + placeholder.size();
  }
  out.append(pattern, from, Text::npos);
  return out;
}

}  // namespace

bool Variant::set_text(const Text& text) {
  clear();
  const std::wstring wide = wide_from_ansi(text);
  if (!text.empty() && wide.empty()) return false;
  const BSTR s = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (s == nullptr) return false;
  v_.vt = VT_BSTR;
  v_.bstrVal = s;
  return true;
}

RegexObject::RegexObject() {
  // Uninitialised again only when this call took a reference.
  com_initialised_ = SUCCEEDED(CoInitialize(nullptr));
}

RegexObject::~RegexObject() {
  component_.reset();
  matches_.reset();
  subject_.clear();
  if (com_initialised_) CoUninitialize();
}

std::unique_ptr<RegexObject> RegexObject::copy() const {
  auto other = std::make_unique<RegexObject>();
  other->component_ = component_;
  other->matches_ = matches_;
  VariantCopy(other->subject_.get(), const_cast<VARIANT*>(subject_.get()));
  other->subject_text_ = subject_text_;
  return other;
}

bool RegexObject::search(const Text& pattern, const Text& subject, bool case_sensitive,
                         bool multi_line, bool global, bool quote_placeholder) {
  component_.reset();
  matches_.reset();
  subject_.clear();
  subject_text_.clear();
  component_ = create_component();
  if (!component_) return false;
  IDispatch* re = component_.get();
  put_bool(re, L"IgnoreCase", !case_sensitive);
  put_bool(re, L"Multiline", multi_line);
  put_bool(re, L"Singleline", true);  // not a property of the component: has no effect
  put_bool(re, L"Global", global);

  Variant pattern_value;
  if (!pattern_value.set_text(quote_placeholder ? with_quotes(pattern) : pattern)) return false;
  if (!invoke(re, L"Pattern", DISPATCH_PROPERTYPUT, pattern_value.get(), 1, nullptr)) return false;

  if (!subject_.set_text(subject)) return false;
  subject_text_ = subject;
  Variant collection;
  if (!invoke(re, L"Execute", DISPATCH_METHOD, subject_.get(), 1, &collection)) return false;
  matches_ = as_object(collection);
  return static_cast<bool>(matches_);
}

bool RegexObject::try_replace(const Text& replacement, Text& result) {
  if (!component_) return false;
  Variant with;
  if (!with.set_text(replacement)) return false;
  VARIANT args[2] = {*subject_.get(), *with.get()};
  Variant replaced;
  if (!invoke(component_.get(), L"Replace", DISPATCH_METHOD, args, 2, &replaced)) return false;
  return as_text(replaced, result);
}

Text RegexObject::replace(const Text& replacement) {
  Text result;
  if (!try_replace(replacement, result)) return Text();
  return result;
}

Text RegexObject::get_pattern() {
  Variant value;
  Text text;
  if (!component_ || !get_value(component_.get(), L"Pattern", value) || !as_text(value, text)) {
    return Text();
  }
  return text;
}

int RegexObject::match_count() {
  Variant value;
  int count = 0;
  if (!matches_ || !get_value(matches_.get(), L"Count", value) || !as_int(value, count)) return 0;
  return count;
}

DispatchRef RegexObject::item(int match) {
  if (!matches_ || match < 1 || match > match_count()) return DispatchRef();
  VARIANT index;
  VariantInit(&index);
  index.vt = VT_I4;
  index.lVal = match - 1;
  Variant value;
  if (!get_value(matches_.get(), L"Item", value, &index, 1)) return DispatchRef();
  return as_object(value);
}

// The component counts UTF-16 units; the program counts bytes. The text is
// looked for from the match's start onwards, as its own bytes.
int RegexObject::byte_offset(const DispatchRef& match_object, const Text& text) {
  Variant value;
  int first_index = 0;
  if (!get_value(match_object.get(), L"FirstIndex", value) || !as_int(value, first_index)) {
    return -1;
  }
  const std::wstring wide = wide_from_ansi(subject_text_);
  if (first_index < 0 || static_cast<std::size_t>(first_index) > wide.size()) return -1;
  const std::size_t from = ansi_from_wide(wide.data(), first_index).size();
  const std::size_t at = subject_text_.find(text, from);
  return at == Text::npos ? -1 : static_cast<int>(at);
}

Text RegexObject::match_text(int match, int* position) {
  if (position != nullptr) *position = -1;
  const DispatchRef object = item(match);
  Variant value;
  Text text;
  if (!object || !get_value(object.get(), L"Value", value) || !as_text(value, text)) {
    return Text();
  }
  if (position != nullptr) *position = byte_offset(object, text);
  return text;
}

Text RegexObject::submatch_text(int match, int group, int* position) {
  if (position != nullptr) *position = -1;
  const DispatchRef object = item(match);
  Variant groups_value;
  if (!object || !get_value(object.get(), L"SubMatches", groups_value)) return Text();
  const DispatchRef groups = as_object(groups_value);
  Variant count_value;
  int count = 0;
  if (!groups || !get_value(groups.get(), L"Count", count_value) || !as_int(count_value, count) ||
      group < 1 || group > count) {
    return Text();
  }
  VARIANT index;
  VariantInit(&index);
  index.vt = VT_I4;
  index.lVal = group - 1;
  Variant value;
  Text text;
  if (!get_value(groups.get(), L"Item", value, &index, 1) || !as_text(value, text)) return Text();
  if (position != nullptr && value.get()->vt != VT_EMPTY) *position = byte_offset(object, text);
  return text;
}

int RegexObject::submatch_count() {
  const DispatchRef object = item(1);
  Variant groups_value;
  if (!object || !get_value(object.get(), L"SubMatches", groups_value)) return 0;
  const DispatchRef groups = as_object(groups_value);
  Variant value;
  int count = 0;
  if (!groups || !get_value(groups.get(), L"Count", value) || !as_int(value, count)) return 0;
  return count;
}

bool Win32Regex::search_replace(const Text& pattern, const Text& subject,
                                const Text& replacement, Text& result) {
  RegexObject regex;
  if (!regex.search(pattern, subject)) return false;
  return regex.try_replace(replacement, result);
}

}  // namespace tc
