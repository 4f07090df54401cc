#include "prefixes/Lecture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Folder.h"

std::optional<std::string> LireFichier(const std::filesystem::path& fichier, std::size_t limite) {
  const int fd = ::open(fichier.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> texte;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_size) <= limite) {
    texte.emplace();
    char tampon[65536];
    for (;;) {
      const ssize_t n = ::read(fd, tampon, sizeof tampon);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        texte.reset();
        break;
      }
      if (n == 0) break;
      texte->append(tampon, static_cast<std::size_t>(n));
      if (texte->size() > limite) {  // grown since
        texte.reset();
        break;
      }
    }
  }
  ::close(fd);
  return texte;
}

std::vector<std::string> Enfants(const std::filesystem::path& dossier) {
  std::vector<std::string> noms;
  std::optional<os::Folder> d = os::Folder::openHost(dossier.string());
  if (!d) return noms;
  const std::size_t nombre = d->count();
  noms.reserve(nombre);
  for (std::size_t i = 0; i < nombre; ++i) noms.emplace_back(d->name(i));
  std::sort(noms.begin(), noms.end());
  return noms;
}

std::optional<std::filesystem::path> CheminEcrit(std::string_view texte,
                                                 const std::filesystem::path& maison) {
  if (texte.find('\0') != std::string_view::npos) return std::nullopt;
  if (texte == "~") return maison;
  if (texte.starts_with("~/")) return maison / texte.substr(2);
  if (texte.empty() || texte[0] != '/') return std::nullopt;
  return std::filesystem::path(texte);
}
