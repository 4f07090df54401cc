#include "options/FichierOptions.h"

#include <array>
#include <optional>
#include <string_view>

#include "cleaning/MasqueDangereux.h"
#include "platform/Attributes.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/Mask.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"

namespace {

constexpr std::string_view CleShellFolders =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view LigneDocFind =
    "DocFind=\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU";
constexpr std::string_view LigneTypedURL =
    "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Keys of TableDossiers and TableRegistre, by index.
constexpr std::array<const char*, 6> ClesDossiers = {"Cache",   "History", "Recent",
                                                     "Cookies", "Temp",    "Sbdr"};
constexpr std::array<const char*, 2> ClesRegistre = {"DocFind", "TypedURL"};

// The built-in masks xt1..xt9.
constexpr std::array<const char*, 9> MasquesFixes = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",
                                                     "*.old", "*.---", "*.~*",  "*.$*"};

// Index in ChoixOptions of each choice.
enum Choix : std::size_t {
  Cache = 0,
  History = 1,
  TypedURL = 2,
  Recent = 3,
  Cookies = 4,
  Temp = 5,
  Sbdr = 6,
  DocFind = 7,
  PremierMasqueFixe = 8,
};

// The folders whose path the Shell Folders key gives, in the order of their lines.
struct DossierShell {
  Choix choix;
  std::string nom;
};
const std::array<DossierShell, 4> DossiersShell = {
    {{Cache, "Cache"}, {History, "History"}, {Recent, "Recent"}, {Cookies, "Cookies"}}};

// The longest value the reader returns.
constexpr std::size_t LongueurMaxValeur = 1023;

// The user's masks are xt11 to xt20.
constexpr int PremierMasqueLibre = 11;
constexpr int DernierMasque = 20;

std::string Cle(int numero) {
  return "xt" + std::to_string(numero);
}

// The free-mask text cut at each ";"; a final ";" gives no empty last piece.
std::vector<std::string> Morceaux(std::string texte) {
  std::vector<std::string> morceaux;
  for (auto pos = texte.find(';'); pos != std::string::npos; pos = texte.find(';')) {
    morceaux.push_back(texte.substr(0, pos));
    texte.erase(0, pos + 1);
  }
  if (!texte.empty()) morceaux.push_back(std::move(texte));
  return morceaux;
}

bool EstBlanc(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

// What reading the file back makes of a written value, before the cut to the longest value
// read: blanks around it removed, then one pair of enclosing quotes.
std::string_view ValeurRelue(std::string_view v) {
  while (!v.empty() && EstBlanc(v.front())) v.remove_prefix(1);
  while (!v.empty() && EstBlanc(v.back())) v.remove_suffix(1);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

// A control character: C0 (line ends, NUL, tabulation...), DEL, or C1 written in UTF-8.
bool ACaractereDeControle(std::string_view texte) {
  for (std::size_t i = 0; i < texte.size(); ++i) {
    const auto c = static_cast<unsigned char>(texte[i]);
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2 && i + 1 < texte.size()) {
      const auto suivant = static_cast<unsigned char>(texte[i + 1]);
      if (suivant >= 0x80 && suivant <= 0x9F) return true;
    }
  }
  return false;
}

// A piece is refused when the mask the plan would get from it is dangerous or cut short, or
// when it holds a control character (a line end would split the line and add keys of its own).
bool MorceauRefuse(std::string_view morceau) {
  if (ACaractereDeControle(morceau)) return true;
  const std::string_view relu = ValeurRelue(morceau);
  return relu.size() > LongueurMaxValeur || (!relu.empty() && MasqueDangereux(relu));
}

// A value taken from outside (registry, Windows directory) goes into the file only when reading
// it back gives the very same text: otherwise the plan would hold a path nobody chose.
void VerifierValeur(const std::string& nom, std::string_view valeur) {
  if (ACaractereDeControle(valeur)) {
    throw ErreurOptions("Saut de ligne ou caractère de contrôle dans la valeur '" + nom + "'");
  }
  if (valeur.size() > LongueurMaxValeur) {
    throw ErreurOptions("Valeur trop longue pour '" + nom + "'");
  }
  if (ValeurRelue(valeur) != valeur) {
    throw ErreurOptions("Espace ou guillemet au début ou à la fin de la valeur '" + nom + "'");
  }
}

// The line "nom=valeur" for a value from outside.
std::string Ligne(const std::string& nom, const std::string& valeur) {
  VerifierValeur(nom, valeur);
  return nom + "=" + valeur;
}

// A Shell Folders value as text: text types up to the first NUL, size zero as empty text.
std::string ValeurTexte(const os::RegistryKey& cle, const std::string& nom) {
  std::optional<os::RegistryValue> valeur;
  try {
    valeur = cle.query(nom);
  } catch (const os::SystemError& e) {
    if (e.code() == os::error::BadRegistryHive) throw ErreurOptions(e.what());
    throw ErreurOptions("Erreur à l'obtention des données pour '" + nom + "'");
  }
  if (!valeur || valeur->data.empty()) return {};
  if (valeur->type != os::reg::Sz && valeur->type != os::reg::ExpandSz) {
    throw ErreurOptions("Type de données incorrect pour '" + nom + "'");
  }
  return valeur->data.substr(0, valeur->data.find('\0'));
}

// The folder `nom` of `dossier` as it is spelled on disk (a Wine prefix has "temp"), or as
// given when it is missing.
std::string SousDossier(const os::Drive& lecteur, const std::string& dossier,
                        const std::string& nom) {
  if (std::optional<os::Folder> d = lecteur.openFolder(dossier)) {
    for (std::size_t i = 0; i < d->count(); ++i) {
      if (d->isFolder(i) && os::matchesMask(d->name(i), nom)) {
        return dossier + "\\" + std::string(d->name(i));
      }
    }
  }
  return dossier + "\\" + nom;
}

// Fills the plan's tables with what `lire(section, key, default)` reads, each key on its own, in
// full before anything of the plan changes. A mask whose key is missing, empty or "Erreur" is no
// mask.
template <typename Lire>
void Remplir(TPlanMenage& plan, Lire&& lire) {
  decltype(plan.TableDossiers) dossiers{};
  decltype(plan.TableRegistre) registre{};
  decltype(plan.TableMotifs) motifs{};
  for (std::size_t i = 0; i < dossiers.size(); ++i) dossiers[i] = lire("Dossiers", ClesDossiers[i], "");
  for (std::size_t i = 0; i < registre.size(); ++i) registre[i] = lire("Dossiers", ClesRegistre[i], "");
  for (std::size_t i = 0; i < motifs.size(); ++i) {
    motifs[i] = lire("Fichiers", Cle(static_cast<int>(i) + 1), "Erreur");
    if (motifs[i] == "Erreur") motifs[i].clear();
  }
  plan.TableDossiers = std::move(dossiers);
  plan.TableRegistre = std::move(registre);
  plan.TableMotifs = std::move(motifs);
}

// The mask "xt<numero>" as the plan gets it: a missing key, an empty value and "Erreur" all
// mean no mask.
std::string LireMotif(const os::Drive& lecteur, int numero, const std::string& chemin) {
  std::string motif =
      os::getPrivateProfileString(lecteur, "Fichiers", Cle(numero), "Erreur", chemin);
  if (motif == "Erreur") motif.clear();
  return motif;
}

// The folder `dossier` and its missing parents. A prefix the program did not make itself (a Wine
// prefix) has no "C:\Program Files\Tidora 2000" until its options are first saved there.
void CreerDossiers(const os::Drive& lecteur, const std::string& dossier) {
  for (std::size_t fin = dossier.find('\\', 3); ; fin = dossier.find('\\', fin + 1)) {
    const std::string partie = dossier.substr(0, fin);
    if (!os::fileAttributes(lecteur, partie)) os::createDirectory(lecteur, partie);
    if (fin == std::string::npos) return;
  }
}

}  // namespace

std::string CheminOptions(const os::Drive& lecteur) {
  return lecteur.executableFolder() + "\\options.ini";
}

bool OptionsEnregistrees(const os::Drive& lecteur) {
  const std::string chemin = CheminOptions(lecteur);
  const std::optional<std::uint32_t> attributs = os::fileAttributes(lecteur, chemin);
  if (!attributs || (*attributs & (os::attr::Directory | os::attr::ReparsePoint)) != 0) return false;
  // A pipe or a device in its place holds no options: the reader never opens one.
  try {
    os::readFile(lecteur, chemin);
  } catch (const os::SystemError&) {
    return false;
  }
  return true;
}

void VerifierMasques(const std::string& masques) {
  // Each piece takes one key, xt11 to xt20, even an empty one: an eleventh would have none.
  const std::vector<std::string> morceaux = Morceaux(masques);
  constexpr std::size_t kMax = DernierMasque - PremierMasqueLibre + 1;
  if (morceaux.size() > kMax) {
    throw ErreurOptions("Trop de masques : " + std::to_string(morceaux.size()) + " (" +
                        std::to_string(kMax) + " au plus)");
  }
  for (const std::string& morceau : morceaux) {
    if (MorceauRefuse(morceau)) throw ErreurOptions("Masque refusé : " + morceau);
  }
}

std::vector<std::string> ComposerOptions(const os::Drive& lecteur, const ChoixOptions& choix,
                                         const std::string& masques, Composition composition) {
  VerifierMasques(masques);
  const std::vector<std::string> morceaux = Morceaux(masques);

  std::vector<std::string> lignes;
  lignes.emplace_back("[Dossiers]");
  {
    std::optional<os::RegistryKey> cle;
    // In memory a missing key counts as the empty key a validation would create.
    bool ouverte = false;
    try {
      if (composition == Composition::Validation) {
        cle.emplace(lecteur.createKey(CleShellFolders));
      } else {
        cle = lecteur.openKey(CleShellFolders);
      }
      ouverte = true;
    } catch (const os::SystemError& e) {
      // A key refused to us: none of its lines is written. Any other failure (a hive that
      // cannot be read or saved) is not a missing key: it stops the validation.
      if (e.code() != os::error::AccessDenied) throw ErreurOptions(e.what());
    }
    if (ouverte) {
      for (const auto& [c, nom] : DossiersShell) {
        if (choix[c]) lignes.push_back(Ligne(nom, cle ? ValeurTexte(*cle, nom) : std::string()));
      }
      if (choix[DocFind]) lignes.emplace_back(LigneDocFind);
    }
  }
  const std::string windows = lecteur.windowsDirectory();
  if (choix[Temp]) lignes.push_back(Ligne("Temp", SousDossier(lecteur, windows, "TEMP")));
  if (choix[Sbdr]) lignes.push_back(Ligne("Sbdr", SousDossier(lecteur, windows, "SYSBCKUP")));
  if (choix[TypedURL]) lignes.emplace_back(LigneTypedURL);

  lignes.emplace_back("[Fichiers]");
  for (std::size_t i = 0; i < MasquesFixes.size(); ++i) {
    if (choix[PremierMasqueFixe + i]) {
      lignes.push_back(Cle(static_cast<int>(i) + 1) + "=" + MasquesFixes[i]);
    }
  }
  int numero = 10;
  for (const std::string& morceau : morceaux) lignes.push_back(Cle(++numero) + "=" + morceau);
  return lignes;
}

void EnregistrerOptions(const os::Drive& lecteur, const std::vector<std::string>& lignes) {
  const std::string chemin = CheminOptions(lecteur);
  std::string texte;
  for (const std::string& ligne : lignes) {
    texte += ligne;
    texte += "\r\n";
  }
  // Replaced whole, under the file's lock: the last complete save wins, and a read-only file is
  // not replaced.
  try {
    CreerDossiers(lecteur, lecteur.executableFolder());
    os::saveFile(lecteur, chemin, texte);
  } catch (const os::WriteError&) {
    throw ErreurOptions("Erreur d'écriture dans le flux");
  } catch (const os::SystemError&) {
    throw ErreurOptions("Ne peut créer le fichier " + chemin);
  }
}

void LireOptions(const os::Drive& lecteur, TPlanMenage& plan) {
  const std::string chemin = CheminOptions(lecteur);
  Remplir(plan, [&](const char* section, const std::string& cle, const char* defaut) {
    return os::getPrivateProfileString(lecteur, section, cle, defaut, chemin);
  });
}

void LireLignes(const std::vector<std::string>& lignes, TPlanMenage& plan) {
  std::string texte;
  for (const std::string& ligne : lignes) texte.append(ligne).append("\r\n");
  Remplir(plan, [&](const char* section, const std::string& cle, const char* defaut) {
    return os::profileString(texte, section, cle, defaut);
  });
}

void OublierOptions(const os::Drive& lecteur) {
  std::optional<os::Folder> dossier = lecteur.openFolder(lecteur.executableFolder());
  if (!dossier) return;
  try {
    if (dossier->entryId("options.ini")) dossier->deleteFile("options.ini");
  } catch (const os::SystemError&) {
    throw ErreurOptions("Ne peut supprimer le fichier " + CheminOptions(lecteur));
  }
}

ChoixOptions ChoixDuPlan(const TPlanMenage& plan) {
  const std::array<const std::string*, 17> entrees = {
      &plan.TableDossiers[0], &plan.TableDossiers[1], &plan.TableRegistre[1],
      &plan.TableDossiers[2], &plan.TableDossiers[3], &plan.TableDossiers[4],
      &plan.TableDossiers[5], &plan.TableRegistre[0], &plan.TableMotifs[0],
      &plan.TableMotifs[1],   &plan.TableMotifs[2],   &plan.TableMotifs[3],
      &plan.TableMotifs[4],   &plan.TableMotifs[5],   &plan.TableMotifs[6],
      &plan.TableMotifs[7],   &plan.TableMotifs[8]};
  ChoixOptions choix{};
  for (std::size_t i = 0; i < choix.size(); ++i) choix[i] = !entrees[i]->empty();
  return choix;
}

std::string MasquesLibres(const os::Drive& lecteur) {
  const std::string chemin = CheminOptions(lecteur);
  std::string masques;
  for (int numero = PremierMasqueLibre; numero <= DernierMasque; ++numero) {
    const std::string masque = LireMotif(lecteur, numero, chemin);
    if (masque.empty()) continue;
    if (!masques.empty()) masques += ';';
    masques += masque;
  }
  return masques;
}
