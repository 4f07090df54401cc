#include "app/Echantillons.h"

#include <optional>

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"

namespace {

constexpr const char* kDossiersShell =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kAdresses = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A shell folder of the profile, or an empty string when the profile does not name it.
std::string DossierShell(const os::Drive& lecteur, const char* nom) {
  std::optional<os::RegistryKey> cle = lecteur.openKey(kDossiersShell);
  if (!cle) return {};
  std::optional<os::RegistryValue> valeur = cle->query(nom);
  if (!valeur || (valeur->type != os::reg::Sz && valeur->type != os::reg::ExpandSz)) return {};
  std::string texte = valeur->data;
  if (const auto nul = texte.find('\0'); nul != std::string::npos) texte.resize(nul);
  return texte;
}

void Ajouter(std::vector<Echantillon>& liste, const std::string& dossier, const char* nom,
             bool reste) {
  if (!dossier.empty()) liste.push_back({dossier + "\\" + nom, reste});
}

// Creates every missing folder of `chemin`'s parent, from "C:\" down.
void CreerParents(const os::Drive& lecteur, const std::string& chemin) {
  const std::size_t fin = chemin.rfind('\\');
  for (std::size_t pos = chemin.find('\\', 3); pos != std::string::npos && pos <= fin;
       pos = chemin.find('\\', pos + 1)) {
    try {
      os::createDirectory(lecteur, chemin.substr(0, pos));
    } catch (const os::SystemError& e) {
      if (e.code() != os::error::AlreadyExists) throw;
    }
  }
}

}  // namespace

std::vector<Echantillon> ListeEchantillons(const os::Drive& lecteur) {
  const std::string cache = DossierShell(lecteur, "Cache");
  const std::string historique = DossierShell(lecteur, "History");
  const std::string recents = DossierShell(lecteur, "Recent");
  const std::string cookies = DossierShell(lecteur, "Cookies");
  const std::string windows = lecteur.windowsDirectory();
  const std::string temp = windows + "\\temp";

  std::vector<Echantillon> liste;
  // Browser cache: the index stays, the pages go.
  Ajouter(liste, cache, "index.dat", true);
  Ajouter(liste, cache, "Content.IE5\\index.dat", true);
  Ajouter(liste, cache, "Content.IE5\\K2T9QX4B\\accueil[1].htm", false);
  Ajouter(liste, cache, "Content.IE5\\K2T9QX4B\\logo[1].gif", false);
  Ajouter(liste, cache, "Content.IE5\\M7D3RZ0A\\style[2].css", false);
  // Address history.
  Ajouter(liste, historique, "index.dat", true);
  Ajouter(liste, historique, "History.IE5\\MSHist012026120120261207\\visite.url", false);
  // Cookies.
  Ajouter(liste, cookies, "index.dat", true);
  Ajouter(liste, cookies, "utilisateur@exemple[1].txt", false);
  Ajouter(liste, cookies, "utilisateur@journal[2].txt", false);
  // Recent documents.
  Ajouter(liste, recents, "rapport annuel.doc.lnk", false);
  Ajouter(liste, recents, "vacances.jpg.lnk", false);
  // Temporary folder.
  Ajouter(liste, temp, "~DF3A21.tmp", false);
  Ajouter(liste, temp, "installation.log", false);
  Ajouter(liste, temp, "setup\\donnees.tmp", false);
  // Registry backups.
  Ajouter(liste, windows, "SYSBCKUP\\rb000.cab", false);
  Ajouter(liste, windows, "SYSBCKUP\\rb001.cab", false);
  // Throw-away files here and there on drive C, beside documents that stay.
  Ajouter(liste, "C:\\Mes documents", "lettre.doc", true);
  Ajouter(liste, "C:\\Mes documents", "lettre.bak", false);
  Ajouter(liste, "C:\\Mes documents", "brouillon.tmp", false);
  Ajouter(liste, "C:\\Mes documents\\Projets", "compte rendu.txt", true);
  Ajouter(liste, "C:\\Mes documents\\Projets", "compte rendu.old", false);
  Ajouter(liste, windows, "setupact.log", false);
  Ajouter(liste, "C:\\Program Files\\Jeux", "partie.chk", false);
  return liste;
}

void DeposerEchantillons(const os::Drive& lecteur) {
  for (const Echantillon& e : ListeEchantillons(lecteur)) {
    CreerParents(lecteur, e.chemin);
    os::File fichier = os::File::create(lecteur, e.chemin);
    fichier.write("Tidora 2000 : fichier d'exemple.\r\n");
    fichier.close();
  }
  os::RegistryKey adresses = lecteur.createKey(kAdresses);
  adresses.setString("url1", "http://www.exemple.fr/");
  adresses.setString("url2", "http://www.journal-exemple.fr/actualites");
  adresses.setString("url3", "http://meteo.exemple.fr/");
}

void PreparerProfil(const os::Drive& lecteur) {
  if (!lecteur.freshProfilePending()) return;
  DeposerEchantillons(lecteur);
  lecteur.finishFreshProfile();
}
