#pragma once
// The state of a whole folder, to tell what a program changed there: every entry under it,
// links not followed, with what it is, its permissions, its modification time, a link's target,
// a file's size, links and (for a small one) content.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

inline std::map<std::string, std::string> Etat(const std::filesystem::path& racine) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> etat;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(racine, ec), fin; !ec && it != fin; it.increment(ec)) {
    const fs::path& p = it->path();
    const fs::file_status st = fs::symlink_status(p, ec);
    std::ostringstream d;
    d << static_cast<int>(st.type()) << ' ' << static_cast<int>(st.permissions());
    if (fs::is_symlink(st)) {
      d << " -> " << fs::read_symlink(p, ec).string();
    } else {
      d << ' ' << fs::last_write_time(p, ec).time_since_epoch().count();
      if (fs::is_regular_file(st)) {
        const auto taille = fs::file_size(p, ec);
        d << ' ' << taille << ' ' << fs::hard_link_count(p, ec);
        if (taille < 65536) {
          std::ifstream in(p, std::ios::binary);
          d << ' ' << std::string(std::istreambuf_iterator<char>(in), {});
        }
      }
    }
    etat[p.lexically_relative(racine).generic_string()] = d.str();
  }
  return etat;
}
