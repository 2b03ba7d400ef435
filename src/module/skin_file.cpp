#include "module/skin_file.h"

namespace tc {
namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Byte range [begin, end) of the skin bytes; every read stays inside it.
struct Piece {
  const unsigned char* p;
  uint32_t n;
};

bool is_space(unsigned char c) { return c == ' ' || c == '\t'; }

Piece trim(Piece s) {
  while (s.n > 0 && is_space(s.p[0])) {
    ++s.p;
    --s.n;
  }
  while (s.n > 0 && is_space(s.p[s.n - 1])) --s.n;
  return s;
}

bool equals(Piece s, const char* word) {
  uint32_t i = 0;
  for (; word[i] != 0; ++i)
    if (i >= s.n || s.p[i] != static_cast<unsigned char>(word[i])) return false;
  return i == s.n;
}

int hex_digit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "#RRGGBB"
bool read_colour(Piece s, uint32_t* out) {
  if (s.n != 7 || s.p[0] != '#') return false;
  uint32_t v[3];
  for (uint32_t i = 0; i < 3; ++i) {
    int hi = hex_digit(s.p[1 + 2 * i]), lo = hex_digit(s.p[2 + 2 * i]);
    if (hi < 0 || lo < 0) return false;
    v[i] = static_cast<uint32_t>(hi * 16 + lo);
  }
  *out = rgb(v[0], v[1], v[2]);
  return true;
}

bool read_number(Piece s, int32_t low, int32_t high, int32_t* out) {
  if (s.n == 0 || s.n > 3) return false;
  int32_t v = 0;
  for (uint32_t i = 0; i < s.n; ++i) {
    if (s.p[i] < '0' || s.p[i] > '9') return false;
    v = v * 10 + (s.p[i] - '0');
  }
  if (v < low || v > high) return false;
  *out = v;
  return true;
}

void set_face(char* dst, const char* src) {
  uint32_t i = 0;
  for (; src[i] != 0 && i + 1 < kSkinFaceBytes; ++i) dst[i] = src[i];
  for (; i < kSkinFaceBytes; ++i) dst[i] = 0;
}

// "Face A; Face B; Face C": the whole list is taken only when every name is
// sound, so a bad entry never leaves a half-replaced list.
bool read_faces(Piece s, SkinStyle* style) {
  char faces[kSkinMaxFaces][kSkinFaceBytes];
  uint32_t count = 0;
  uint32_t start = 0;
  for (uint32_t i = 0; i <= s.n; ++i) {
    if (i < s.n && s.p[i] != ';') continue;
    Piece name = trim(Piece{s.p + start, i - start});
    start = i + 1;
    if (name.n == 0 || name.n >= kSkinFaceBytes || count == kSkinMaxFaces) return false;
    for (uint32_t k = 0; k < name.n; ++k) {
      if (name.p[k] < 0x20 || name.p[k] == 0x7F) return false;
      faces[count][k] = static_cast<char>(name.p[k]);
    }
    for (uint32_t k = name.n; k < kSkinFaceBytes; ++k) faces[count][k] = 0;
    ++count;
  }
  if (count == 0) return false;
  for (uint32_t f = 0; f < kSkinMaxFaces; ++f)
    for (uint32_t k = 0; k < kSkinFaceBytes; ++k)
      style->faces[f][k] = f < count ? faces[f][k] : 0;
  style->face_count = count;
  return true;
}

struct ColourKey {
  const char* key;
  uint32_t SkinStyle::*field;
};

const ColourKey kColourKeys[] = {
    {"window.background", &SkinStyle::window_background},
    {"button.face", &SkinStyle::button_face},
    {"button.hover", &SkinStyle::button_hover},
    {"button.pressed", &SkinStyle::button_pressed},
    {"button.disabled", &SkinStyle::button_disabled},
    {"button.text", &SkinStyle::button_text},
    {"button.focus", &SkinStyle::button_focus},
    {"log.background", &SkinStyle::log_background},
    {"log.text", &SkinStyle::log_text},
};

void apply(Piece key, Piece value, SkinStyle* style) {
  for (const ColourKey& c : kColourKeys) {
    if (equals(key, c.key)) {
      uint32_t v;
      if (read_colour(value, &v)) style->*c.field = v;
      return;
    }
  }
  if (equals(key, "font.height")) {
    read_number(value, 8, 72, &style->font_height);
  } else if (equals(key, "button.radius")) {
    read_number(value, 0, 20, &style->corner_radius);
  } else if (equals(key, "font.faces")) {
    read_faces(value, style);
  }
}

}  // namespace

void default_skin_style(SkinStyle* style) {
  style->window_background = rgb(0xF3, 0xF5, 0xF8);
  style->button_face = rgb(0x3A, 0x7B, 0xD5);
  style->button_hover = rgb(0x4C, 0x8D, 0xE6);
  style->button_pressed = rgb(0x2A, 0x5F, 0xAE);
  style->button_disabled = rgb(0xA9, 0xB8, 0xCC);
  style->button_text = rgb(0xFF, 0xFF, 0xFF);
  style->button_focus = rgb(0x1A, 0x3E, 0x7A);
  style->log_background = rgb(0xFF, 0xFF, 0xFF);
  style->log_text = rgb(0x2B, 0x2F, 0x36);
  style->font_height = 15;
  style->corner_radius = 6;
  style->face_count = 3;
  set_face(style->faces[0], "Microsoft YaHei");
  set_face(style->faces[1], "WenQuanYi Micro Hei");
  set_face(style->faces[2], "SimSun");
  set_face(style->faces[3], "");
}

bool parse_skin_file(const unsigned char* bytes, uint32_t length, SkinStyle* style) {
  default_skin_style(style);
  if (bytes == nullptr || length == 0) return false;
  bool first = true;
  uint32_t start = 0;
  for (uint32_t i = 0; i <= length; ++i) {
    if (i < length && bytes[i] != '\n') continue;
    Piece line{bytes + start, i - start};
    start = i + 1;
    if (line.n > 0 && line.p[line.n - 1] == '\r') --line.n;
    if (first) {
      first = false;
      if (!equals(trim(line), "TSKIN 1")) return false;
      continue;
    }
    line = trim(line);
    if (line.n == 0 || line.p[0] == '#') continue;
    uint32_t eq = 0;
    while (eq < line.n && line.p[eq] != '=') ++eq;
    if (eq == line.n) continue;
    apply(trim(Piece{line.p, eq}), trim(Piece{line.p + eq + 1, line.n - eq - 1}), style);
  }
  return true;
}

}  // namespace tc
