#pragma once
// The state of a whole folder, to tell what a program changed there: every entry under it, with
// what it is, its permissions, its modification time, a link's target, a file's size, links and
// (for a small one) content. Links and reparse points are recorded, never entered.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif

namespace etat_detail {

inline bool Lien(const std::filesystem::path& p, const std::filesystem::file_status& st) {
#ifdef _WIN32
  // Under Wine a host link looks like a folder with the reparse attribute.
  const DWORD a = GetFileAttributesW(p.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
#else
  (void)p;
#endif
  return std::filesystem::is_symlink(st);
}

inline void Parcourir(const std::filesystem::path& racine, const std::filesystem::path& dossier,
                      std::map<std::string, std::string>& etat) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
    const fs::path p = it->path();
    std::error_code e;
    const fs::file_status st = fs::symlink_status(p, e);
    std::ostringstream d;
    d << static_cast<int>(st.type()) << ' ' << static_cast<int>(st.permissions());
    const bool lien = Lien(p, st);
    if (lien) {
      d << " -> " << fs::read_symlink(p, e).string();
    } else {
      d << ' ' << fs::last_write_time(p, e).time_since_epoch().count();
      if (fs::is_regular_file(st)) {
        const auto taille = fs::file_size(p, e);
        d << ' ' << taille << ' ' << fs::hard_link_count(p, e);
        if (taille < 65536) {
          std::ifstream in(p, std::ios::binary);
          d << ' ' << std::string(std::istreambuf_iterator<char>(in), {});
        }
      }
    }
    etat[p.lexically_relative(racine).generic_string()] = d.str();
    if (!lien && fs::is_directory(st)) Parcourir(racine, p, etat);
  }
  if (ec) etat[dossier.lexically_relative(racine).generic_string() + "/*"] = "illisible";
}

}  // namespace etat_detail

inline std::map<std::string, std::string> Etat(const std::filesystem::path& racine) {
  std::map<std::string, std::string> etat;
  etat_detail::Parcourir(racine, racine, etat);
  return etat;
}
