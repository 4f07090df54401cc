#include "tests/cleaning/Environnement.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <fstream>

#include "platform/FileSystem.h"
#include "platform/Prefix.h"

namespace fs = std::filesystem;

namespace {
// The immutable flag: not even root may delete the file or change its mode.
bool Immuable(const fs::path& p, bool oui) {
#ifndef __linux__
  (void)p, (void)oui;
  return false;
#else
  const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  int drapeaux = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &drapeaux) == 0;
  if (ok) {
    drapeaux = oui ? (drapeaux | FS_IMMUTABLE_FL) : (drapeaux & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &drapeaux) == 0;
  }
  ::close(fd);
  return ok;
#endif
}
}  // namespace

void EnvironnementMenage::SetUp() {
  std::string modele = (fs::temp_directory_path() / "tidora-menage-XXXXXX").string();
  ASSERT_NE(::mkdtemp(modele.data()), nullptr);
  prefixe = modele;
  os::setPrefixFolder(prefixe);
  os::ensureProfile();
  temp = os::windowsDirectory() + "\\TEMP";
  sbdr = os::windowsDirectory() + "\\SYSBCKUP";
  scrute.TraiterMessages = [this] {
    if (pendantDrain) pendantDrain();
  };
}

void EnvironnementMenage::TearDown() {
  for (const fs::path& p : verrous) Immuable(p, false);
  std::error_code ec;
  fs::remove_all(prefixe, ec);
}

fs::path EnvironnementMenage::Hote(const std::string& chemin) const {
  auto p = os::hostPath(chemin);
  if (!p) ADD_FAILURE() << "no host path for " << chemin;
  return p.value_or(prefixe / "nulle-part");
}

void EnvironnementMenage::CreerDossier(const std::string& chemin) {
  fs::create_directories(Hote(chemin));
}

void EnvironnementMenage::Creer(const std::string& chemin, std::uintmax_t taille,
                                std::uint32_t attributs) {
  const fs::path p = Hote(chemin);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << std::string(std::min<std::uintmax_t>(taille, 4096), 'x');
  fs::resize_file(p, taille);
  if (attributs != 0) os::setFileAttributes(chemin, attributs);
}

bool EnvironnementMenage::Existe(const std::string& chemin) const {
  return fs::exists(fs::symlink_status(Hote(chemin)));
}

bool EnvironnementMenage::Verrouiller(const std::string& chemin) {
  if (!Immuable(Hote(chemin), true)) return false;
  verrous.push_back(Hote(chemin));
  return true;
}

void EnvironnementMenage::PlanComplet() {
  plan.TableDossiers = {cache, historique, recents, cookies, temp, sbdr};
  plan.TableRegistre = {kRecherches, kAdresses};
  plan.TableMotifs = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",       "*.old",
                      "*.---", "*.~*",  "*.$*",  "",      "rapport?.doc"};
  plan.OptionsValidees = true;
}
