// libFuzzer target: the skin file reader. Whatever the bytes, the style stays
// within its documented ranges.
#include <cstdint>
#include <cstdlib>

#include "module/skin_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tc::SkinStyle style;
  tc::parse_skin_file(data, static_cast<std::uint32_t>(size), &style);
  if (style.font_height < 8 || style.font_height > 72) std::abort();
  if (style.corner_radius < 0 || style.corner_radius > 20) std::abort();
  if (style.face_count < 1 || style.face_count > tc::kSkinMaxFaces) std::abort();
  for (std::uint32_t i = 0; i < tc::kSkinMaxFaces; ++i) {
    if (style.faces[i][tc::kSkinFaceBytes - 1] != 0) std::abort();
    if ((i < style.face_count) != (style.faces[i][0] != 0)) std::abort();
  }
  const std::uint32_t colours[] = {style.window_background, style.button_face, style.button_hover,
                                   style.button_pressed, style.button_disabled, style.button_text,
                                   style.button_focus, style.log_background, style.log_text};
  for (std::uint32_t c : colours)
    if (c > 0xFFFFFFu) std::abort();
  return 0;
}
