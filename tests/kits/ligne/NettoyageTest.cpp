// --apercu and --nettoyer, the real program on prefixes in a temporary folder (a fake home, no
// display): the preview (its TSV and JSON forms, which agree) lists exactly what the cleaning
// then deletes, and writes nothing; saves and game folders survive every mask unless the user's
// choices include them; a prefix without options of its own takes the user's common choices
// (the safe default, then those --choix saves), composed in memory: nothing is ever written
// into it; a prefix in use is refused with nothing deleted; --tous previews or cleans every
// prefix; Ctrl-C stops a run cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <random>
#include <regex>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>
#include <tuple>

#include "prefixes/Octets.h"
#include "tests/kits/ligne/Programme.h"
#include "tests/support/Enfant.h"
#include "tests/support/Etat.h"
#include "tests/support/Systeme.h"
#include "tests/support/Tirages.h"

namespace fs = std::filesystem;

namespace {

using Liste = std::vector<std::string>;

constexpr const char* kCleAdresses = "Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs";

// One element of a preview as the machine forms give it.
struct Element {
  std::string prefixe, genre, windows, hote, octets, raison, emplacement, etat;
  auto operator<=>(const Element&) const = default;
};

// A field of a tab-separated line as it was before Tsv() wrote it.
std::string SansEchappement(const std::string& champ) {
  std::string texte;
  for (std::size_t i = 0; i < champ.size(); ++i) {
    if (champ[i] != '\\' || i + 1 == champ.size()) {
      texte += champ[i];
      continue;
    }
    switch (const char c = champ[++i]) {
      case 't':
        texte += '\t';
        break;
      case 'n':
        texte += '\n';
        break;
      case 'r':
        texte += '\r';
        break;
      case 'x':
        texte += static_cast<char>(std::stoi(champ.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      default:
        texte += c;
    }
  }
  return texte;
}

// The elements of `--apercu --tsv`, after checking its header.
std::vector<Element> LireTsv(const std::string& sortie) {
  std::vector<Element> elements;
  std::istringstream lignes(sortie);
  std::string l;
  std::getline(lignes, l);
  EXPECT_EQ(l, "prefixe\tgenre\tchemin_windows\tchemin_hote\toctets\traison\templacement\tetat");
  while (std::getline(lignes, l)) {
    Liste c;
    std::size_t debut = 0;
    for (std::size_t tab; (tab = l.find('\t', debut)) != std::string::npos; debut = tab + 1) {
      c.push_back(SansEchappement(l.substr(debut, tab - debut)));
    }
    c.push_back(SansEchappement(l.substr(debut)));
    EXPECT_EQ(c.size(), 8u) << l;
    c.resize(8);
    elements.push_back({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]});
  }
  return elements;
}

// The same elements from `--apercu --json`, in the order the TSV form gives them.
std::vector<Element> LireJson(const nlohmann::json& document) {
  std::vector<Element> elements;
  for (const nlohmann::json& p : document["prefixes"]) {
    const std::string chemin = p["chemin"].get<std::string>();
    if (!p["erreur"].is_null() && !p.contains("fichiers")) {
      elements.push_back({chemin, "erreur", "", "", "", p["erreur"], "", ""});
      continue;
    }
    for (const char* groupe : {"fichiers", "proteges"}) {
      for (const nlohmann::json& f : p[groupe]) {
        elements.push_back(
            {chemin, "fichier", f["windows"].get<std::string>(), f["hote"].get<std::string>(),
             std::to_string(f["octets"].get<std::uint64_t>()), f["raison"].get<std::string>(),
             f["emplacement"].get<std::string>(), f["etat"].get<std::string>()});
      }
    }
    for (const nlohmann::json& v : p["valeurs"]) {
      elements.push_back({chemin, "valeur",
                          v["cle"].get<std::string>() + "\\" + v["nom"].get<std::string>(), "", "",
                          "", "", "efface"});
    }
    for (const nlohmann::json& d : p["dossiers"]) {
      elements.push_back({chemin, "dossier", d.get<std::string>(), "", "", "", "", "efface"});
    }
  }
  return elements;
}

class NettoyageTest : public ProgrammeTest {
 protected:
  void SetUp() override {
    ProgrammeTest::SetUp();
    pfx_ = FairePrefixe(racine_ / "pfx");
  }
  void TearDown() override {
    for (const fs::path& p : verrous_) Liberer(p);
    ProgrammeTest::TearDown();
  }

  // A file of `taille` bytes at `relatif` below drive_c, its folders made.
  fs::path Fichier(const std::string& relatif, std::size_t taille = 1) {
    const fs::path p = pfx_ / "drive_c" / relatif;
    Ecrire(p, std::string(taille, 'x'));
    return p;
  }
  // The options as the options window saves them, one line each.
  void Options(const Liste& lignes) {
    std::string texte;
    for (const std::string& l : lignes) texte += l + "\r\n";
    Ecrire(pfx_ / "drive_c/Program Files/Tidora 2000/options.ini", texte);
  }
  // Lines added to user.reg as Wine writes them.
  void Registre(const std::string& texte) {
    Ecrire(pfx_ / "user.reg", Lire(pfx_ / "user.reg") + texte);
  }
  // The profile's folders as Wine names them, and its TEMP.
  void Profil() {
    Registre(
        "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] "
        "1700000000\n"
        "\"Cache\"=\"C:"
        "\\\\users\\\\steamuser\\\\AppData\\\\Local\\\\Microsoft\\\\Windows\\\\INetCache\"\n"
        "\"Recent\"=\"C:"
        "\\\\users\\\\steamuser\\\\AppData\\\\Roaming\\\\Microsoft\\\\Windows\\\\Recent\"\n"
        "\"Personal\"=\"C:\\\\users\\\\steamuser\\\\Documents\"\n"
        "\n[Environment] 1700000000\n"
        "\"TEMP\"=\"C:\\\\users\\\\steamuser\\\\AppData\\\\Local\\\\Temp\"\n");
  }
  // Values of the typed-address key, added to user.reg.
  void Adresses(const Liste& noms) {
    std::string texte = "\n[" + std::string(kCleAdresses) + "] 1796641473\n";
    for (const std::string& n : noms) texte += "\"" + n + "\"=\"http://exemple.fr/\"\n";
    Registre(texte);
  }
  // The names of the values the typed-address key holds in user.reg now.
  Liste AdressesRestantes() const {
    const std::string texte = Lire(pfx_ / "user.reg");
    Liste noms;
    std::size_t i = texte.find("[" + std::string(kCleAdresses) + "]");
    if (i == std::string::npos) return noms;
    for (i = texte.find('\n', i);
         i != std::string::npos && i + 1 < texte.size() && texte[i + 1] != '[';
         i = texte.find('\n', i + 1)) {
      if (texte[i + 1] == '"') noms.push_back(texte.substr(i + 2, texte.find('"', i + 2) - i - 2));
    }
    return noms;
  }
  // The host path, relative to the prefix, of a Windows path on drive C.
  static std::string Hote(std::string windows) {
    std::string p = "drive_c";
    for (std::size_t i = 2; i < windows.size(); ++i) p += windows[i] == '\\' ? '/' : windows[i];
    return p;
  }
  // The preview of `cible` in both machine forms, checked to agree; nothing is written.
  std::vector<Element> Apercu(const std::string& cible, nlohmann::json* document = nullptr) {
    const Sortie tsv = Lancer({"--apercu", "--tsv", cible});
    const Sortie json = Lancer({"--apercu", "--json", "--prefix", cible});
    EXPECT_EQ(tsv.code, 0) << tsv.erreurs;
    EXPECT_EQ(tsv.erreurs, "");
    EXPECT_EQ(json.code, 0) << json.erreurs;
    const nlohmann::json j = nlohmann::json::parse(json.sortie, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << json.sortie;
    const std::vector<Element> elements = LireTsv(tsv.sortie);
    if (!j.is_discarded()) {
      EXPECT_EQ(LireJson(j), elements);
    }
    if (document != nullptr) *document = j;
    return elements;
  }
  // The Windows paths of the files of `elements` in the state `etat`.
  static std::set<std::string> Fichiers(const std::vector<Element>& elements,
                                        const std::string& etat) {
    std::set<std::string> chemins;
    for (const Element& e : elements) {
      if (e.genre == "fichier" && e.etat == etat) chemins.insert(e.windows);
    }
    return chemins;
  }

  // A process named `nom` that holds `fichier` open until it dies.
  static std::unique_ptr<Enfant> Occupant(const char* nom, const fs::path& fichier) {
    auto enfant =
        std::make_unique<Enfant>(nom, [fichier] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
    EXPECT_TRUE(enfant->pret());
    return enfant;
  }

  fs::path pfx_;
  std::vector<fs::path> verrous_;
};

// Where a file of the random trees lies: a save location of the profile (its Microsoft folders
// aside), the game folder Lutris installed into, or elsewhere.
std::string Lieu(const std::string& windows) {
  if (windows.find("\\Saves\\") != std::string::npos) return "sauvegardes";
  const std::string profil = "C:\\users\\steamuser\\";
  for (const char* s :
       {"Documents\\", "AppData\\Roaming\\", "AppData\\LocalLow\\", "Saved Games\\"}) {
    if (windows.starts_with(profil + s) && !windows.starts_with(profil + s + "Microsoft\\")) {
      return "sauvegardes";
    }
  }
  return windows.starts_with("C:\\GOG Games\\") ? "jeux" : "ailleurs";
}

// Random trees: names with accents and mixed case, read-only and hidden files, hard links, links
// to folders and files, files matched by two passes, "index.dat", undeletable files and folders,
// empty sub-folders of both TEMP folders, typed addresses with gaps; saves, a Lutris game folder;
// the prefix's own random options, or none and random common choices; saves included or not.
class NettoyageAleatoire : public NettoyageTest,
                           public ::testing::WithParamInterface<int>,
                           public Tirages {
 protected:
  Liste fichiers, dossiers;
  bool propres = false, sauvegardes = false;

  void Remplir(const std::string& dossier, int profondeur) {
    static const Liste noms = {"a",        "Partie",  "partie", "Été",   "ÉTÉ",   "rapport1",
                               "Rapport2", "journal", "Ça va",  "œuvre", ".caché"};
    static const Liste extensions = {".tmp", ".TMP", ".bak", ".log", ".cab",  ".dat", ".txt",
                                     ".~1",  ".$$$", ".old", ".doc", ".tmpx", ""};
    static const Liste sous = {"Données", "DONNÉES", "Sous", "sous", "Été 2024", "Saves"};
    fs::create_directories(pfx_ / "drive_c" / dossier);
    dossiers.push_back(dossier);
    for (std::size_t n = Hasard(6); n > 0; --n) {
      const std::string nom = Pile(12) ? "index.dat" : Un(noms) + Un(extensions);
      const fs::path p = Fichier(dossier + "/" + nom, Hasard(3000));
      fichiers.push_back(dossier + "/" + nom);
      if (Pile(4)) fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
      if (Pile(5)) ::setxattr(p.c_str(), "user.DOSATTRIB", "0x6", 3, 0);  // hidden, system
    }
    if (profondeur >= 2) return;
    for (std::size_t n = Hasard(3); n > 0; --n) Remplir(dossier + "/" + Un(sous), profondeur + 1);
    if (Pile(3)) fs::create_directories(pfx_ / "drive_c" / dossier / "Vide/vide aussi");
  }

  void Construire() {
    alea.seed(static_cast<unsigned>(GetParam()));
    for (const char* base :
         {"windows/temp", "windows/SYSBCKUP",
          "users/steamuser/AppData/Local/Microsoft/Windows/INetCache",
          "users/steamuser/AppData/Local/Temp",
          "users/steamuser/AppData/Roaming/Microsoft/Windows/Recent",
          "users/steamuser/AppData/Roaming/Studio/Jeu", "users/steamuser/AppData/LocalLow/Studio",
          "users/steamuser/Documents/My Games/Jeu", "users/steamuser/Saved Games",
          "Program Files/Jeu", "GOG Games/Un jeu", "Projets"}) {
      Remplir(base, static_cast<int>(Hasard(2)));
    }
    const Liste lieux = dossiers;
    std::error_code ec;
    const fs::path c = pfx_ / "drive_c";
    fs::create_directories(racine_ / "hors/sous");
    Ecrire(racine_ / "hors/garde.tmp", "dehors");
    for (int i = 0; i < 3; ++i) {
      fs::create_directory_symlink(Pile(2) ? racine_ / "hors" : c / Un(lieux),
                                   c / Un(lieux) / ("lien" + std::to_string(i)), ec);
      fs::create_symlink(Pile(3) ? fs::path("absent.tmp") : c / Un(fichiers),
                         c / Un(lieux) / ("lien" + std::to_string(i) + ".tmp"), ec);
      fs::create_hard_link(c / Un(fichiers), c / Un(lieux) / ("dur" + std::to_string(i) + ".tmp"),
                           ec);
    }
    const fs::path fige = Fichier("windows/temp/Figé/dedans.tmp", 5).parent_path();
    for (const fs::path& p : {c / Un(fichiers), fige}) {
      if (RendreIndelebile(p)) verrous_.push_back(p);
    }
    Profil();
    Liste adresses;
    for (int n = 1; n <= 6; ++n) {
      if (!Pile(4)) adresses.push_back((Pile(2) ? "URL" : "url") + std::to_string(n));
    }
    adresses.push_back("url01");
    Adresses(adresses);
    // Lutris installed a game in this prefix.
    Ecrire(racine_ / "xdg/data/lutris/games/un-jeu-1.yml",
           "name: Un jeu\ngame:\n  exe: drive_c/GOG Games/Un jeu/jeu.exe\n  prefix: " +
               pfx_.string() + "\n");

    const Liste masques = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",
                           "*.old", "*.---", "*.~*",  "*.$*"};
    propres = Pile(2);
    sauvegardes = Pile(2);
    std::string choix = "--choix=";
    if (propres) {
      Liste lignes = {"[Dossiers]"};
      const std::string profil = "C:\\users\\steamuser\\AppData\\";
      if (Pile(2)) lignes.push_back("Cache=" + profil + "Local\\Microsoft\\Windows\\INetCache");
      if (Pile(2)) lignes.push_back("Recent=" + profil + "Roaming\\Microsoft\\Windows\\Recent");
      if (!Pile(4)) lignes.push_back("Temp=C:\\windows\\temp");
      if (Pile(2)) lignes.push_back("Sbdr=C:\\windows\\SYSBCKUP");
      if (!Pile(4))
        lignes.push_back("TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
      lignes.push_back("[Fichiers]");
      for (std::size_t i = 0; i < masques.size(); ++i) {
        if (Pile(2)) lignes.push_back("xt" + std::to_string(i + 1) + "=" + masques[i]);
      }
      if (Pile(2)) lignes.push_back("xt11=rapport?.doc");
      Options(lignes);
    } else {
      for (const char* cle :
           {"Cache", "History", "TypedURL", "Recent", "Cookies", "Temp", "Sbdr"}) {
        if (Pile(2)) choix += std::string(cle) + ",";
      }
      for (const std::string& m : masques) {
        if (Pile(2)) choix += m + ",";
      }
    }
    // The common choices: their saves choice counts for a prefix with options of its own too.
    const std::map<std::string, std::string> avant = Etat(pfx_);
    const Sortie s = Lancer({choix, std::string("--masques=") + (Pile(2) ? "rapport?.doc" : ""),
                             std::string("--sauvegardes=") + (sauvegardes ? "oui" : "non")});
    EXPECT_EQ(s.code, 0) << s.erreurs;
    EXPECT_EQ(Etat(pfx_), avant) << "--choix wrote into the prefix";
  }
};

TEST_P(NettoyageAleatoire, ApercuListsExactlyWhatNettoyerThenDeletes) {
  Construire();
  const std::map<std::string, std::string> avant = Etat(pfx_);
  const Liste adressesAvant = AdressesRestantes();
  nlohmann::json document;
  const std::vector<Element> lus = Apercu(pfx_.string(), &document);
  EXPECT_EQ(Etat(pfx_), avant) << "the preview changed the prefix";
  ASSERT_EQ(document["prefixes"].size(), 1u);
  EXPECT_EQ(document["prefixes"][0]["choix"], propres ? "propres" : "communs");
  EXPECT_EQ(document["prefixes"][0]["nom"], "Un jeu");
  // Each file where it lies, on the host where the prefix has it; what a mask finds in a save
  // or a game folder is left, unless the choices include them.
  std::set<std::string> partants;
  bool nonSupprimable = false;
  Liste purgees;
  for (const Element& e : lus) {
    EXPECT_EQ(e.prefixe, pfx_.string());
    if (e.genre == "valeur") purgees.push_back(e.windows.substr(e.windows.rfind('\\') + 1));
    if (e.genre == "dossier") partants.insert(Hote(e.windows));
    if (e.genre != "fichier") continue;
    EXPECT_EQ(e.hote, (pfx_ / Hote(e.windows)).string());
    EXPECT_EQ(e.emplacement, Lieu(e.windows)) << e.windows;
    const bool masque = e.raison.starts_with("*") || e.raison.starts_with("rapport");
    if (e.etat == "protege") {
      EXPECT_FALSE(sauvegardes) << e.windows;
      EXPECT_TRUE(masque) << e.raison;
      EXPECT_NE(e.emplacement, "ailleurs") << e.windows;
    } else if (masque && !sauvegardes) {
      EXPECT_EQ(e.emplacement, "ailleurs") << e.windows;
    }
    if (e.etat == "non_supprimable") nonSupprimable = true;
    if (e.etat == "efface") partants.insert(Hote(e.windows));
  }

  const Sortie nettoyage = Lancer({"--nettoyer", pfx_.string()});
  EXPECT_EQ(nettoyage.code, nonSupprimable ? 1 : 0) << nettoyage.erreurs;
  // No terminal: the count and the size, then the summary's other lines.
  const nlohmann::json& total = document["total"];
  const std::uint64_t nombre = total["fichiers"].get<std::uint64_t>();
  EXPECT_TRUE(nettoyage.sortie.starts_with(
      std::to_string(nombre) + (nombre > 1 ? " fichiers" : " fichier") +
      " pour un total de " + TailleLisible(total["octets"].get<std::uint64_t>()) + "\n"))
      << nettoyage.sortie;
  EXPECT_EQ(nettoyage.sortie.find(std::to_string(total["proteges"].get<std::uint64_t>()) +
                                  " fichiers protégés") != std::string::npos,
            total["proteges"] > 0)
      << nettoyage.sortie;

  const std::map<std::string, std::string> apres = Etat(pfx_);
  std::set<std::string> partis;
  for (const auto& [chemin, quoi] : avant) {
    if (!apres.contains(chemin)) partis.insert(chemin);
  }
  EXPECT_EQ(partis, partants);
  if (!sauvegardes) {
    for (const std::string& p : partis) {
      for (const char* garde :
           {"drive_c/users/steamuser/AppData/Roaming/Studio",
            "drive_c/users/steamuser/AppData/LocalLow", "drive_c/users/steamuser/Documents",
            "drive_c/users/steamuser/Saved Games", "drive_c/GOG Games"}) {
        EXPECT_FALSE(p.starts_with(garde)) << p;
      }
    }
  }
  Liste restantes = AdressesRestantes();
  for (const std::string& n : adressesAvant) {
    const bool purgee = std::find(purgees.begin(), purgees.end(), n) != purgees.end();
    EXPECT_NE(std::find(restantes.begin(), restantes.end(), n) != restantes.end(), purgee) << n;
  }
  EXPECT_TRUE(fs::exists(racine_ / "hors/garde.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Graines, NettoyageAleatoire, ::testing::Range(1, 9));

// A process with a file open in the prefix, and no Wine server anywhere: --nettoyer refuses the
// prefix, naming the process, and deletes nothing; --apercu still shows what a run would do,
// with a warning.
TEST_F(NettoyageTest, APrefixInUseIsRefusedWithNothingDeleted) {
  Fichier("windows/temp/a.tmp", 10);
  Fichier("jeu/sauve.dat", 10);
  Adresses({"url1"});
  Options({"[Dossiers]", "Temp=C:\\windows\\temp",
           "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "[Fichiers]"});
  const std::map<std::string, std::string> avant = Etat(pfx_);
  std::unique_ptr<Enfant> jeu = Occupant("Jeu.exe", pfx_ / "drive_c/jeu/sauve.dat");
  const pid_t occupant = jeu->pid();
  const Sortie nettoyage = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  const Sortie apercu = Lancer({"--apercu", pfx_.string()});
  jeu.reset();
  EXPECT_EQ(nettoyage.code, 2);
  EXPECT_EQ(nettoyage.sortie, "");
  EXPECT_NE(nettoyage.erreurs.find("est utilisé par Jeu.exe (processus " +
                                   std::to_string(occupant) + ")"),
            std::string::npos)
      << nettoyage.erreurs;
  EXPECT_NE(nettoyage.erreurs.find("rien n'y a été effacé"), std::string::npos);
  EXPECT_EQ(Etat(pfx_), avant);
  EXPECT_EQ(apercu.code, 0) << apercu.erreurs;
  EXPECT_EQ(apercu.sortie,
            "Préfixe « pfx » (wine) : " + pfx_.string() +
                "\n"
                "Choix : ceux du préfixe (ses options validées)\n"
                "Fichiers :\n"
                "  C:\\windows\\temp\\a.tmp — 10 o — répertoire TEMP\n"
                "      " +
                (pfx_ / "drive_c/windows/temp/a.tmp").string() +
                "\n"
                "Valeurs du registre :\n"
                "  HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\url1\n"
                "Total : 1 fichier, 10 o\n");
  EXPECT_EQ(apercu.erreurs, "tidora2000 : attention, le préfixe " + pfx_.string() +
                                " est utilisé par Jeu.exe (processus " + std::to_string(occupant) +
                                ") : un nettoyage y serait refusé tant qu'il l'est\n");
  // Once it is gone, the same command cleans.
  EXPECT_EQ(Lancer({"--nettoyer"}, {"TIDORA_PREFIX=" + pfx_.string()}).code, 0);
  EXPECT_FALSE(fs::exists(pfx_ / "drive_c/windows/temp/a.tmp"));
}

// A walk holds one open folder a level: a tree deeper than the soft limit of open files it was
// started with is still cleaned to its bottom, and its emptied folders go.
TEST_F(NettoyageTest, ATreeDeeperThanTheOpenFileLimitIsCleanedWhole) {
  std::string profond = "windows/temp";
  for (int i = 0; i < 200; ++i) profond += "/d";
  Fichier(profond + "/fond.tmp", 3);
  Options({"[Dossiers]", "Temp=C:\\windows\\temp", "[Fichiers]"});
  rlimit avant{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &avant), 0);
  if (avant.rlim_max != RLIM_INFINITY && avant.rlim_max < 512) {
    GTEST_SKIP() << "la limite dure de fichiers ouverts est trop basse";
  }
  rlimit basse = avant;
  basse.rlim_cur = 64;  // inherited by the program started below
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &basse), 0);
  const Sortie s = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  ::setrlimit(RLIMIT_NOFILE, &avant);
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_FALSE(fs::exists(pfx_ / "drive_c/windows/temp/d"));
  EXPECT_TRUE(fs::is_directory(pfx_ / "drive_c/windows/temp"));
}

// A prefix without options of its own takes the common choices: the safe default (the folder
// passes, both TEMP folders, *.tmp and *.gid, saves protected), then what --choix saved; shown,
// set and refused by --choix with nothing saved on a refusal; nothing is ever written into the
// prefix, even with a pipe in the options' place.
TEST_F(NettoyageTest, WithoutOptionsTheCommonChoicesApplyAndNothingIsWrittenThere) {
  Profil();
  Fichier("windows/temp/a.txt", 10);
  Fichier("users/steamuser/AppData/Local/Temp/sous/crash.dmp", 250);
  Fichier("Projets/b.tmp", 3);
  Fichier("Projets/c.bak", 4);
  Fichier("users/steamuser/Documents/My Games/J/partie.tmp", 5);
  Fichier("users/steamuser/Documents/My Games/J/partie.bak", 6);
  const std::set<std::string> avant = [&] {
    std::set<std::string> l;
    for (const auto& [chemin, quoi] : Etat(pfx_)) l.insert(chemin);
    return l;
  }();
  const std::map<std::string, std::string> etat = Etat(pfx_);
  nlohmann::json document;
  std::vector<Element> lus = Apercu(pfx_.string(), &document);
  EXPECT_EQ(document["prefixes"][0]["choix"], "communs");
  EXPECT_EQ(Fichiers(lus, "efface"),
            (std::set<std::string>{"C:\\windows\\temp\\a.txt",
                                   "C:\\users\\steamuser\\AppData\\Local\\Temp\\sous\\crash.dmp",
                                   "C:\\Projets\\b.tmp"}));
  EXPECT_EQ(Fichiers(lus, "protege"),
            (std::set<std::string>{"C:\\users\\steamuser\\Documents\\My Games\\J\\partie.tmp"}));

  // Shown, never saved by being shown.
  const fs::path fichier = racine_ / "xdg/config/tidora2000/choix.ini";
  const Sortie defaut = Lancer({"--choix"});
  EXPECT_EQ(defaut.code, 0);
  EXPECT_EQ(defaut.sortie,
            "Choix communs, pour les préfixes qui n'ont pas d'options validées (par défaut : aucun "
            "n'a encore été enregistré) :\n"
            "  [x] Vider le cache d'I.E.                     (Cache)\n"
            "  [x] l'historique des URL                      (History)\n"
            "  [x] l'historique des URL saisies              (TypedURL)\n"
            "  [x] l'historique des documents récents        (Recent)\n"
            "  [x] les cookies                               (Cookies)\n"
            "  [x] le contenu du répertoire TEMP             (Temp)\n"
            "  [x] les sauvegardes de la bases de registre   (Sbdr)\n"
            "  [ ] les recherches récentes                   (DocFind)\n"
            "  [x] *.tmp\n  [ ] *.bak\n  [x] *.gid\n  [ ] *.chk\n  [ ] *.log\n  [ ] *.old\n"
            "  [ ] *.---\n  [ ] *.~*\n  [ ] *.$*\n"
            "Masques : aucun\n"
            "Sauvegardes et dossiers de jeux : protégés\n");
  EXPECT_FALSE(fs::exists(fichier));

  // Set: the list names those kept, in any case; the masks and the saves apart.
  const Sortie choisi =
      Lancer({"--choix=temp,*.bak", "--masques=*.dmp;rapport?.doc", "--sauv=oui"});
  EXPECT_EQ(choisi.code, 0) << choisi.erreurs;
  EXPECT_TRUE(choisi.sortie.starts_with(
      "Choix communs, pour les préfixes qui n'ont pas d'options validées :\n"
      "  [ ] Vider le cache d'I.E.                     (Cache)\n"))
      << choisi.sortie;
  EXPECT_NE(choisi.sortie.find("  [x] le contenu du répertoire TEMP             (Temp)\n"),
            std::string::npos);
  EXPECT_NE(choisi.sortie.find("  [ ] *.tmp\n  [x] *.bak\n  [ ] *.gid\n"), std::string::npos);
  EXPECT_TRUE(
      choisi.sortie.ends_with("Masques : *.dmp;rapport?.doc\n"
                              "Sauvegardes et dossiers de jeux : nettoyés par les masques\n"))
      << choisi.sortie;
  EXPECT_EQ(Lancer({"--choix"}).sortie, choisi.sortie);
  const std::string enregistre = Lire(fichier);
  // Refused, with nothing saved: an unknown word, a mask the options window refuses.
  for (const std::vector<std::string>& refus : {std::vector<std::string>{"--choix=Temp,Cachee"},
                                                {"--choix", "--masques=*.*"},
                                                {"--choix=aucun", "--masques=*.tmp;*"},
                                                {"--choix", "--sauvegardes=peut-être"},
                                                {"--choix", "--masques=a;b;c;d;e;f;g;h;i;j;k"}}) {
    const Sortie s = Lancer(refus);
    EXPECT_EQ(s.code, 2) << refus.back();
    EXPECT_EQ(s.sortie, "") << refus.back();
    EXPECT_TRUE(s.erreurs.starts_with("tidora2000 : ")) << s.erreurs;
    EXPECT_EQ(Lire(fichier), enregistre) << refus.back();
  }
  EXPECT_EQ(Lancer({"--choix", "--masques=*.*"}).erreurs, "tidora2000 : Masque refusé : *.*\n");

  lus = Apercu(pfx_.string());
  EXPECT_EQ(
      Fichiers(lus, "efface"),
      (std::set<std::string>{
          "C:\\windows\\temp\\a.txt", "C:\\users\\steamuser\\AppData\\Local\\Temp\\sous\\crash.dmp",
          "C:\\Projets\\c.bak", "C:\\users\\steamuser\\Documents\\My Games\\J\\partie.bak"}));
  EXPECT_TRUE(Fichiers(lus, "protege").empty());
  EXPECT_EQ(Etat(pfx_), etat);
  const Sortie nettoyage = Lancer({"--nettoyer", pfx_.string()});
  EXPECT_EQ(nettoyage.code, 0) << nettoyage.erreurs;
  EXPECT_EQ(nettoyage.sortie, "4 fichiers pour un total de 270 o\n");
  std::set<std::string> apres;
  for (const auto& [chemin, quoi] : Etat(pfx_)) apres.insert(chemin);
  std::set<std::string> attendu = avant;
  for (const char* parti :
       {"drive_c/windows/temp/a.txt", "drive_c/users/steamuser/AppData/Local/Temp/sous",
        "drive_c/users/steamuser/AppData/Local/Temp/sous/crash.dmp", "drive_c/Projets/c.bak",
        "drive_c/users/steamuser/Documents/My Games/J/partie.bak"}) {
    EXPECT_EQ(attendu.erase(parti), 1u) << parti;
  }
  EXPECT_EQ(apres, attendu);  // no program folder, no options, no lock

  // A pipe in the options' place holds none, and never holds the program up.
  const fs::path tube = pfx_ / "drive_c/Program Files/Tidora 2000/options.ini";
  fs::create_directories(tube.parent_path());
  ASSERT_EQ(::mkfifo(tube.c_str(), 0600), 0);
  Fichier("windows/temp/encore.txt");
  for (const char* action : {"--apercu", "--nettoyer"}) {
    const Sortie s = Lancer({action, pfx_.string()});
    EXPECT_EQ(s.code, 0) << action << s.erreurs;
  }
  EXPECT_FALSE(fs::exists(pfx_ / "drive_c/windows/temp/encore.txt"));
  EXPECT_TRUE(fs::is_fifo(tube));

  // A choices file this program did not write: refused, never taken for the default.
  Ecrire(fichier, "[Choix]\nTemp=peut-être\n");
  for (const std::vector<std::string>& action :
       {std::vector<std::string>{"--apercu", pfx_.string()},
        {"--nettoyer", pfx_.string()},
        {"--choix"}}) {
    const Sortie s = Lancer(action);
    EXPECT_EQ(s.code, 2) << action[0];
    EXPECT_EQ(s.erreurs, "tidora2000 : Fichier de choix illisible " + fichier.string() +
                             " : la valeur de « Temp » doit être « oui » ou « non »\n");
  }
  // Nor is one that is empty, only a section, random bytes, or that holds eleven masks.
  std::mt19937 alea(26);
  std::string octets(300, '\0');
  for (char& o : octets) o = static_cast<char>(alea());
  for (const std::string& texte :
       {std::string(), std::string("[Choix]\n"), octets,
        std::regex_replace(enregistre, std::regex("Masques=.*"), "Masques=a;b;c;d;e;f;g;h;i;j;k")}) {
    Ecrire(fichier, texte);
    const Sortie s = Lancer({"--apercu", pfx_.string()});
    EXPECT_EQ(s.code, 2);
    EXPECT_TRUE(s.erreurs.starts_with("tidora2000 : Fichier de choix illisible " +
                                      fichier.string() + " : "))
        << s.erreurs;
  }
}

// A folder with a drive C but no hive of the user, or none at all, is refused with nothing
// written; the program's own prefix is never made by a preview or a cleaning.
TEST_F(NettoyageTest, WithoutAHiveOrWithoutAPrefixNothingIsWrittenAndItIsSaid) {
  const fs::path sansRuche = racine_ / "sans-ruche";
  fs::create_directories(sansRuche / "drive_c/windows");
  Ecrire(sansRuche / "system.reg", "WINE REGISTRY Version 2\n");
  const fs::path absent = racine_ / "absent";
  for (const char* action : {"--apercu", "--nettoyer"}) {
    const Sortie s = Lancer({action, "--prefixe", sansRuche.string()});
    EXPECT_EQ(s.code, 2);
    EXPECT_EQ(s.sortie, "");
    EXPECT_EQ(s.erreurs, "tidora2000 : Le dossier " + sansRuche.string() +
                             " n'est pas un préfixe Wine : il n'a pas de fichier user.reg (le "
                             "registre de l'utilisateur)\n");
    const Sortie a = Lancer({action}, {"TIDORA_PREFIX=" + absent.string()});
    EXPECT_EQ(a.code, 2);
    EXPECT_NE(a.erreurs.find("n'est pas un préfixe Wine : il n'existe pas"), std::string::npos)
        << a.erreurs;
    EXPECT_EQ(Lancer({action, "--prefixe", Home().string()}).code, 2);
  }
  EXPECT_EQ(Etat(sansRuche).size(), 3u);
  EXPECT_FALSE(fs::exists(absent));
  EXPECT_TRUE(fs::is_empty(Home()));
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));
}

// What lies in a folder, by path relative to it, whatever each entry holds.
std::set<std::string> Listing(const fs::path& dossier) {
  std::set<std::string> chemins;
  for (const auto& [chemin, quoi] : Etat(dossier)) chemins.insert(chemin);
  return chemins;
}

std::set<std::string> Sauf(std::set<std::string> chemins, const std::set<std::string>& partis) {
  for (const std::string& p : partis) EXPECT_EQ(chemins.erase(p), 1u) << p;
  return chemins;
}

// The command line leaves no file of the program's own in a prefix it works on (no lock, no
// options, no help file, no profile): each prefix holds afterwards what it held, less what the
// run deleted, even where the purged key had to be made.
TEST_F(NettoyageTest, ApercuAndNettoyerLeaveNoFileOfTheirOwnInThePrefixes) {
  Fichier("windows/temp/a.tmp");
  fs::create_directories(pfx_ / "drive_c/windows/temp/vide");
  Fichier("Projets/b.tmp");
  Fichier("Projets/garde.txt");
  Options({"[Dossiers]", "Temp=C:\\windows\\temp",
           "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "[Fichiers]",
           "xt1=*.tmp"});
  const std::set<std::string> avant = Listing(pfx_);
  EXPECT_EQ(Lancer({"--apercu", "--prefixe", pfx_.string()}).code, 0);
  EXPECT_EQ(Listing(pfx_), avant);
  const Sortie nettoyage = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  EXPECT_EQ(nettoyage.code, 0) << nettoyage.erreurs;
  EXPECT_EQ(Listing(pfx_), Sauf(avant, {"drive_c/windows/temp/a.tmp", "drive_c/windows/temp/vide",
                                        "drive_c/Projets/b.tmp"}));
  EXPECT_NE(Lire(pfx_ / "user.reg").find("[" + std::string(kCleAdresses) + "]"), std::string::npos)
      << "the hive was not saved";

  const fs::path wine = FairePrefixe(Home() / ".wine");
  Ecrire(wine / "drive_c/windows/temp/w.tmp", "w");
  Ecrire(wine / "drive_c/Program Files/Tidora 2000/options.ini",
         "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
  const fs::path steam = FairePrefixe(Home() / ".local/share/Steam/steamapps/compatdata/10/pfx");
  Ecrire(steam / "drive_c/windows/temp/s.tmp", "s");
  const std::set<std::string> avantWine = Listing(wine), avantSteam = Listing(steam);
  const std::set<std::string> apresPfx = Listing(pfx_);
  EXPECT_EQ(Lancer({"--apercu"}, {"TIDORA_PREFIX=" + wine.string()}).code, 0);
  EXPECT_EQ(Lancer({"--apercu", "--tous"}).code, 0);
  EXPECT_EQ(Listing(wine), avantWine);
  EXPECT_EQ(Listing(steam), avantSteam);
  const Sortie tous = Lancer({"--nettoyer", "--tous"});
  EXPECT_EQ(tous.code, 0) << tous.erreurs;
  EXPECT_NE(tous.sortie.find("Total : 2 préfixes nettoyés, 0 ignoré ;"), std::string::npos)
      << tous.sortie;
  EXPECT_EQ(Listing(wine), Sauf(avantWine, {"drive_c/windows/temp/w.tmp"}));
  EXPECT_EQ(Listing(steam), Sauf(avantSteam, {"drive_c/windows/temp/s.tmp"}));
  EXPECT_EQ(Listing(pfx_), apresPfx);
}

// The prefixes --tous finds: one with options of its own, one without (the common choices),
// one in use, one whose drive has no hive of the user.
class TousTest : public NettoyageTest {
 protected:
  void SetUp() override {
    NettoyageTest::SetUp();
    wine = FairePrefixe(Home() / ".wine");
    Ecrire(wine / "drive_c/windows/temp/a.tmp", std::string(2000, 'a'));
    Ecrire(wine / "drive_c/windows/temp/b.tmp", "b");
    Ecrire(wine / "drive_c/Program Files/Tidora 2000/options.ini",
           "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
    steam = JeuSteam(Steam(), "10", "Dix");
    Ecrire(steam / "drive_c/windows/temp/s.tmp", "s");
    Ecrire(steam / "drive_c/users/steamuser/Saved Games/Dix/slot1.tmp", "sauvegarde");
    lutris = FairePrefixe(racine_ / "lutris-pfx");
    Ecrire(racine_ / "xdg/data/lutris/games/l-1.yml", "game:\n  prefix: " + lutris.string() + "\n");
    Ecrire(lutris / "drive_c/windows/temp/l.tmp", "l");
    Ecrire(lutris / "drive_c/Program Files/Tidora 2000/options.ini",
           "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
  }
  fs::path wine, steam, lutris;
};

// --tous cleans each prefix found that is not in use, with its own options or the common
// choices, says which it passed over and why, and gives the total.
TEST_F(TousTest, NettoyerCleansThosePrefixesItMaySaysWhichItSkippedAndTotals) {
  std::unique_ptr<Enfant> jeu = Occupant("Jeu.exe", lutris / "drive_c/windows/temp/l.tmp");
  const pid_t occupant = jeu->pid();
  const Sortie s = Lancer({"--nettoyer", "--tous"});
  jeu.reset();
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_EQ(s.erreurs, "");
  EXPECT_EQ(s.sortie,
            "Préfixe « Dix » (steam) : " + steam.string() +
                "\n1 fichier pour un total de 1 o\n"
                "1 fichier protégé (sauvegarde ou dossier de jeu) laissé en place\n"
                "Préfixe « l » (lutris) : " +
                lutris.string() + " : ignoré, occupé par Jeu.exe (processus " +
                std::to_string(occupant) + ")\n" + "Préfixe « .wine » (wine) : " + wine.string() +
                "\n2 fichiers pour un total de 2,0 ko\n"
                "Total : 2 préfixes nettoyés, 1 ignoré ; 3 fichiers pour un total de 2,0 ko ; 1 fichier "
                "protégé laissé en place, 10 o\n");
  EXPECT_FALSE(fs::exists(wine / "drive_c/windows/temp/a.tmp"));
  EXPECT_FALSE(fs::exists(steam / "drive_c/windows/temp/s.tmp"));
  EXPECT_TRUE(fs::exists(steam / "drive_c/users/steamuser/Saved Games/Dix/slot1.tmp"));
  EXPECT_TRUE(fs::exists(lutris / "drive_c/windows/temp/l.tmp"));
  EXPECT_FALSE(fs::exists(steam / "drive_c/Program Files"));  // nothing written there
}

// --apercu --tous previews every prefix, one in use too (with a warning), each with its total,
// then the total of all; one that cannot be previewed says why and makes the status 2. The
// machine forms carry the same; nothing is written anywhere.
TEST_F(TousTest, ApercuPreviewsEveryPrefixWithATotal) {
  const fs::path casse = JeuSteam(Steam(), "20", "Vingt");
  fs::remove(casse / "user.reg");
  const std::map<std::string, std::string> avant = Etat(Home()), avantLutris = Etat(lutris);
  std::unique_ptr<Enfant> jeu = Occupant("Jeu.exe", lutris / "drive_c/windows/temp/l.tmp");
  const pid_t occupant = jeu->pid();
  const Sortie texte = Lancer({"--apercu", "--tous"});
  const Sortie json = Lancer({"--apercu", "--tous", "--json"});
  const Sortie tsv = Lancer({"--apercu", "--tous", "--tsv"});
  jeu.reset();
  EXPECT_EQ(Etat(Home()), avant);
  EXPECT_EQ(Etat(lutris), avantLutris);
  for (const Sortie* s : {&texte, &json, &tsv}) {
    EXPECT_EQ(s->code, 2);
    EXPECT_EQ(s->erreurs, "tidora2000 : attention, le préfixe " + lutris.string() +
                              " est utilisé par Jeu.exe (processus " + std::to_string(occupant) +
                              ") : un nettoyage y serait refusé tant qu'il l'est\n");
  }
  const std::string refus = "Le dossier " + casse.string() +
                            " n'est pas un préfixe Wine : il n'a pas de fichier user.reg (le "
                            "registre de l'utilisateur)";
  EXPECT_EQ(
      texte.sortie,
      "Préfixe « Dix » (steam, 10) : " + steam.string() +
          "\n"
          "Choix : les choix communs (tidora2000 --choix)\n"
          "Fichiers :\n"
          "  C:\\windows\\temp\\s.tmp — 1 o — répertoire TEMP\n"
          "      " +
          (steam / "drive_c/windows/temp/s.tmp").string() +
          "\n"
          "Protégés, laissés en place (sauvegardes et dossiers de jeux) :\n"
          "  C:\\users\\steamuser\\Saved Games\\Dix\\slot1.tmp — 10 o — masque *.tmp\n"
          "      " +
          (steam / "drive_c/users/steamuser/Saved Games/Dix/slot1.tmp").string() +
          "\n"
          "Total : 1 fichier, 1 o ; 1 fichier protégé laissé en place, 10 o\n"
          "\n"
          "Préfixe « Vingt » (steam, 20) : " +
          casse.string() +
          "\n"
          "Pas d'aperçu : " +
          refus +
          "\n"
          "\n"
          "Préfixe « l » (lutris) : " +
          lutris.string() +
          "\n"
          "Choix : ceux du préfixe (ses options validées)\n"
          "Fichiers :\n"
          "  C:\\windows\\temp\\l.tmp — 1 o — répertoire TEMP\n"
          "      " +
          (lutris / "drive_c/windows/temp/l.tmp").string() +
          "\n"
          "Total : 1 fichier, 1 o\n"
          "\n"
          "Préfixe « .wine » (wine) : " +
          wine.string() +
          "\n"
          "Choix : ceux du préfixe (ses options validées)\n"
          "Fichiers :\n"
          "  C:\\windows\\temp\\a.tmp — 2,0 ko — répertoire TEMP\n"
          "      " +
          (wine / "drive_c/windows/temp/a.tmp").string() +
          "\n"
          "  C:\\windows\\temp\\b.tmp — 1 o — répertoire TEMP\n"
          "      " +
          (wine / "drive_c/windows/temp/b.tmp").string() +
          "\n"
          "Total : 2 fichiers, 2,0 ko\n"
          "\n"
          "Total de 3 préfixes : 4 fichiers, 2,0 ko ; 1 fichier protégé laissé en place, 10 o\n");
  const nlohmann::json j = nlohmann::json::parse(json.sortie);
  EXPECT_EQ(LireJson(j), LireTsv(tsv.sortie));
  ASSERT_EQ(j["prefixes"].size(), 4u);
  EXPECT_EQ(j["prefixes"][1]["erreur"], refus);
  EXPECT_EQ(j["prefixes"][0]["appid"], "10");
  EXPECT_EQ(j["total"], nlohmann::json::parse(R"({"prefixes": 3, "fichiers": 4, "octets": 2003,
      "non_supprimables": 0, "proteges": 1, "octets_proteges": 10, "gardes": 0,
      "octets_gardes": 0})"));
}

// Ctrl-C during a run: the pass in progress ends, no further pass starts, the summary still
// comes, and the status says the cleaning did not end.
TEST_F(NettoyageTest, CtrlCStopsTheRunCleanly) {
  for (int d = 0; d < 100; ++d) {
    for (int f = 0; f < 200; ++f) {
      Ecrire(
          pfx_ / "drive_c/windows/temp" / ("d" + std::to_string(d)) / (std::to_string(f) + ".txt"),
          "x");
    }
  }
  Fichier("Projets/journal.log");
  Options({"[Dossiers]", "Temp=C:\\windows\\temp", "[Fichiers]", "xt5=*.log"});
  const pid_t pid = Demarrer({"--nettoyer", "--prefixe", pfx_.string()}, {});
  // Once it catches SIGINT, the run is about to start.
  const std::string etat = "/proc/" + std::to_string(pid) + "/status";
  bool pret = false;
  for (int i = 0; i < 200000 && !pret; ++i) {
    std::istringstream lignes(Lire(etat));
    for (std::string l; std::getline(lignes, l);) {
      if (l.starts_with("SigCgt:")) pret = (std::stoull(l.substr(7), nullptr, 16) & 2u) != 0;
    }
  }
  ASSERT_TRUE(pret);
  ::kill(pid, SIGINT);
  int statut = 0;
  ::waitpid(pid, &statut, 0);
  ASSERT_TRUE(WIFEXITED(statut)) << "ended by a signal";
  EXPECT_EQ(WEXITSTATUS(statut), 2);
  EXPECT_EQ(Lire(racine_ / "erreurs"), "tidora2000 : nettoyage interrompu\n");
  EXPECT_NE(Lire(racine_ / "sortie").find(" pour un total de "), std::string::npos);
  EXPECT_TRUE(fs::exists(pfx_ / "drive_c/Projets/journal.log"));  // its pass never began
  std::size_t restants = 0;
  for (const auto& e : fs::recursive_directory_iterator(pfx_ / "drive_c/windows/temp")) {
    restants += e.is_regular_file() ? 1 : 0;
  }
  EXPECT_GT(restants, 0u);
}

}  // namespace
