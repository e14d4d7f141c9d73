// The General MIDI soundfonts installed on the system.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "DeviceCatalog.h"

namespace vx {

namespace fs = std::filesystem;

namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool isSoundfontName(const fs::path &path) {
  const std::string extension = lowered(path.extension().string());
  return extension == ".sf2" || extension == ".sf3";
}

// The folders that hold soundfonts: the system's (Debian's packages install there) and the
// user's own.
std::vector<fs::path> soundfontFolders() {
  std::vector<fs::path> folders = {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3"};
  if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
    folders.push_back(fs::path(data) / "soundfonts");
  else if (const char *home = std::getenv("HOME"); home && *home)
    folders.push_back(fs::path(home) / ".local/share/soundfonts");
  return folders;
}

// The real file behind path (following symbolic links), or empty when there is none.
fs::path realFile(const fs::path &path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (error || !fs::is_regular_file(real, error) || error) return {};
  return real;
}

}  // namespace

// The system default (the default-GM link that the alternatives system points at one
// installed soundfont) comes first, then the others by file name, ignoring case. A file reached
// under several names, such as the default and the file it points to, is listed once, under its
// real path.
std::vector<std::string> DeviceCatalog::soundfonts() {
  std::vector<std::string> result;
  std::set<fs::path> seen;
  const auto add = [&](const fs::path &real) {
    if (!real.empty() && seen.insert(real).second) result.push_back(real.string());
  };

  add(realFile("/usr/share/sounds/sf2/default-GM.sf2"));
  add(realFile("/usr/share/sounds/sf3/default-GM.sf3"));

  std::vector<fs::path> others;
  for (const fs::path &folder : soundfontFolders()) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (!isSoundfontName(it->path())) continue;
      const fs::path real = realFile(it->path());
      if (!real.empty()) others.push_back(real);
    }
  }
  std::sort(others.begin(), others.end(), [](const fs::path &a, const fs::path &b) {
    const std::string nameA = lowered(a.filename().string());
    const std::string nameB = lowered(b.filename().string());
    return nameA != nameB ? nameA < nameB : a < b;
  });
  for (const fs::path &real : others) add(real);
  return result;
}

}  // namespace vx
