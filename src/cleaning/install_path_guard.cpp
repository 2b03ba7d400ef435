#include "cleaning/install_path_guard.h"

#include "cleaning/path_helpers.h"

namespace tc {

namespace {

bool has_forbidden_byte(const Text& path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (is_lead_byte(byte) && i + 1 < path.size()) {
      ++i;  // a trail byte may look like '\' or '|' but belongs to its character
      continue;
    }
    if (byte < 0x20 || byte == 0x7F) return true;
    switch (byte) {
      case '"': case '%': case '/': case '*': case '?': case '<': case '>': case '|':
        return true;
      default:
        break;
    }
  }
  return false;
}

// The components after the root, split at backslashes outside double-byte
// characters; runs of backslashes count as one.
TextList components(const Text& path, std::size_t from) {
  TextList parts;
  Text part;
  for (std::size_t i = from; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (is_lead_byte(byte) && i + 1 < path.size()) {
      part.append(path, i, 2);
      ++i;
    } else if (path[i] == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool install_path_is_safe(Ports& ports, const Text& path) {
  if (path.empty() || has_forbidden_byte(path)) return false;

  TextList parts;
  std::size_t root_parts = 0;  // components that only name the root
  if (path.size() >= 3 && is_letter(path[0]) && path[1] == ':' && path[2] == '\\') {
    parts = components(path, 3);
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\') {
    parts = components(path, 2);
    root_parts = 2;  // server and share
    if (parts.size() < 2) return false;
  } else {
    return false;
  }
  for (const Text& part : parts) {
    // Windows drops trailing dots and blanks, so "Windows." names "Windows".
    if (part == "." || part == ".." || part.back() == '.' || part.back() == ' ') return false;
    if (part.find(':') != Text::npos) return false;
  }
  if (parts.size() <= root_parts) return false;  // a drive or share root

  const Text folder = comparable_path(path);
  const KnownFolder refused[] = {KnownFolder::Windows,         KnownFolder::System,
                                 KnownFolder::SystemWow64,     KnownFolder::ProgramFiles,
                                 KnownFolder::ProgramFilesX86, KnownFolder::ProgramFilesNative,
                                 KnownFolder::ProgramData,     KnownFolder::Users,
                                 KnownFolder::Profile};
  for (KnownFolder which : refused) {
    const Text known = ports.files.known_folder(which);
    if (!known.empty() && comparable_path(known) == folder) return false;
  }
  // Every folder right inside the Users folder is somebody's profile.
  const Text users = ports.files.known_folder(KnownFolder::Users);
  if (!users.empty() && folder == comparable_path(users) + "\\" + comparable_path(parts.back())) {
    return false;
  }
  return true;
}

}  // namespace tc
