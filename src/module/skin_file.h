// The skin file of our skin engine: a small text format (see
// resources/skin-engine/FORMAT.md). The reader is plain code with no library
// calls so that the engine DLL, built without a C runtime, compiles it too.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace tc {

constexpr uint32_t kSkinMaxFaces = 4;
constexpr uint32_t kSkinFaceBytes = 32;  // a face name and its NUL

// Colours are COLORREF values (0x00BBGGRR).
struct SkinStyle {
  uint32_t window_background;
  uint32_t button_face;
  uint32_t button_hover;
  uint32_t button_pressed;
  uint32_t button_disabled;
  uint32_t button_text;
  uint32_t button_focus;
  uint32_t log_background;
  uint32_t log_text;
  int32_t font_height;    // pixels, 8..72
  int32_t corner_radius;  // pixels, 0..20
  uint32_t face_count;    // 1..kSkinMaxFaces, tried in order
  char faces[kSkinMaxFaces][kSkinFaceBytes];
};

void default_skin_style(SkinStyle* style);

// Fills style from the skin bytes. Gives false, with every value at its
// default, when the bytes are empty or not a skin file; in a skin file an
// unknown key or a malformed value keeps that value's default.
bool parse_skin_file(const unsigned char* bytes, uint32_t length, SkinStyle* style);

}  // namespace tc
