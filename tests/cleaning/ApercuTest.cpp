// The preview is the run: on hand-made and on random trees, what a preview lists is exactly what a
// run then does (each file with its size, in the run's order, the empty folders, the registry
// values, the counters and the summary), and the preview itself changes nothing at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include "cleaning/Apercu.h"
#include "cleaning/Emplacements.h"
#include "platform/Attributes.h"
#include "platform/NameCase.h"
#include "platform/SystemError.h"
#include "tests/cleaning/Environnement.h"
#include "tests/support/Etat.h"
#include "tests/support/Systeme.h"
#include "tests/support/Tirages.h"

namespace {

namespace fs = std::filesystem;
using Liste = std::vector<std::string>;

// A real run recorded: every change it asks of the real executant, in order, done or not, each
// file with the size the scanner reported and the place the run handed over.
struct Temoin : TExecutant {
  Temoin(const os::Drive& d, const TScruteDossier& s) : TExecutant(d), scrute(s) {}
  const TScruteDossier& scrute;
  Apercu vu;

  static std::string Chemin(const os::Folder& d, std::string_view n) {
    return d.path() + "\\" + std::string(n);
  }
  void SupprimerFichier(const Entree& f) override {
    vu.fichiers.push_back({Chemin(f.dossier, f.nom), scrute.TailleFichier(), f.emplacement, true});
    try {
      TExecutant::SupprimerFichier(f);
    } catch (const os::SystemError&) {
      vu.fichiers.back().supprime = false;
      throw;
    }
  }
  void SupprimerDossier(const os::Folder& d, std::string_view n) override {
    TExecutant::SupprimerDossier(d, n);
    vu.dossiers.push_back(Chemin(d, n));
  }
  // The values that went, as the key named them.
  void SupprimerValeurs(os::RegistryKey& cle, const Liste& noms) override {
    const Liste avant = cle.valueNames();
    TExecutant::SupprimerValeurs(cle, noms);
    const Liste apres = cle.valueNames();
    std::unordered_map<std::string, std::string> partis;
    for (const std::string& n : avant) {
      if (std::find(apres.begin(), apres.end(), n) == apres.end())
        partis.emplace(os::foldedName(n), n);
    }
    for (const std::string& n : noms) {
      const auto p = partis.find(os::foldedName(n));
      if (p == partis.end()) continue;
      vu.valeurs.push_back({"HKEY_CURRENT_USER\\" + cle.path(), p->second});
      partis.erase(p);
    }
  }
};

std::string Texte(const FichierApercu& f) {
  std::ostringstream s;
  s << f.chemin << '\t' << f.taille << '\t' << static_cast<int>(f.emplacement) << '\t'
    << (f.supprime ? "supprimé" : "reste");
  return s.str();
}

Liste Textes(const std::vector<FichierApercu>& fichiers) {
  Liste l;
  for (const FichierApercu& f : fichiers) l.push_back(Texte(f));
  return l;
}

Liste Textes(const std::vector<ValeurApercu>& valeurs) {
  Liste l;
  for (const ValeurApercu& v : valeurs) l.push_back(v.cle + '\t' + v.nom);
  return l;
}

class ApercuMenageTest : public EnvironnementMenage {
 protected:
  // Every value of the keys the purges look at, "key\tname".
  Liste Registre() const {
    Liste l;
    for (const char* cle : {kAdresses, kRecherches}) {
      try {
        for (const std::string& v : Valeurs(cle)) l.push_back(std::string(cle) + '\t' + v);
      } catch (const os::SystemError& e) {
        l.push_back(e.what());
      }
    }
    std::sort(l.begin(), l.end());
    return l;
  }

  // Takes a preview of `plan`, checks that it changed nothing, then runs the plan for real and
  // checks that the preview told exactly what the run did. Returns the preview.
  Apercu ApercuPuisMenage(const Liste& jeux = {}) {
    const std::map<std::string, std::string> avant = Etat(prefixe);
    const Liste valeursAvant = Registre();
    Apercu apercu = ApercuMenage(lecteur, plan, jeux);
    EXPECT_EQ(Etat(prefixe), avant) << "the preview changed the prefix";
    EXPECT_EQ(Registre(), valeursAvant);
    std::set<std::string> annonces;
    for (const FichierApercu& f : apercu.fichiers) {
      if (f.supprime) annonces.insert(Relatif(f.chemin));
    }
    for (const std::string& d : apercu.dossiers) annonces.insert(Relatif(d));

    Temoin temoin(lecteur, scrute);
    std::string erreur;
    // Each pass asks each folder whose listing reports a file for its place, once, before the
    // folder's first file: the folders asked, and how often.
    std::map<std::string, int> lieux;
    std::set<std::string> avecFichiers;
    const auto finDePasse = [&] {
      for (const auto& [dossier, fois] : lieux) EXPECT_EQ(fois, 1) << dossier;
      EXPECT_EQ(lieux.size(), avecFichiers.size());
      lieux.clear();
      avecFichiers.clear();
    };
    {
      TMenage reel(scrute, plan, fenetre, temoin);
      reel.DossiersJeux = jeux;
      const TLieuEvent lieu = scrute.OnLieu;
      const TScruteEvent fichier = scrute.OnFichier;
      const TNotifyEvent debut = scrute.OnExecute;
      scrute.OnLieu = [&](TScruteDossier& s, const std::string& dossier) {
        ++lieux[dossier];
        return lieu(s, dossier);
      };
      scrute.OnFichier = [&](TScruteDossier& s, const std::string& nom) {
        const std::string& dossier = s.DossierFichier()->path();
        EXPECT_TRUE(lieux.contains(dossier)) << nom << " came before its folder's place";
        avecFichiers.insert(dossier);
        fichier(s, nom);
      };
      scrute.OnExecute = [&](TScruteDossier& s) {
        finDePasse();
        debut(s);
      };
      try {
        reel.Lancer();
      } catch (const os::SystemError& e) {
        erreur = e.what();
      }
      EXPECT_EQ(apercu.nbFichiers, reel.NbFichiers);
      EXPECT_EQ(apercu.tailleTotale, reel.TailleTotale);
      EXPECT_EQ(apercu.nbEchecs, reel.NbEchecs);
    }
    finDePasse();
    EXPECT_EQ(apercu.erreur, erreur);
    EXPECT_EQ(apercu.resume, fenetre.messages.empty() ? "" : fenetre.messages.back());
    EXPECT_EQ(apercu.optionsValidees, plan.OptionsValidees);

    // The run's own record, sorted as a preview sorts it; each place the run handed over is
    // the file's own.
    std::vector<FichierApercu> attendus = temoin.vu.fichiers;
    for (const FichierApercu& f : attendus) {
      EXPECT_EQ(f.emplacement, EmplacementDe(f.chemin, jeux)) << f.chemin;
    }
    const auto fin = std::stable_partition(attendus.begin(), attendus.end(), [](const auto& f) {
      return f.emplacement != Emplacement::Ailleurs;
    });
    EXPECT_EQ(Textes(apercu.fichiers), Textes(attendus));
    EXPECT_EQ(apercu.nbSensibles, static_cast<std::size_t>(fin - attendus.begin()));
    EXPECT_EQ(apercu.dossiers, temoin.vu.dossiers);
    EXPECT_EQ(Textes(apercu.valeurs), Textes(temoin.vu.valeurs));
    std::uint64_t taille = 0;
    for (const FichierApercu& f : apercu.fichiers) taille += f.taille;
    EXPECT_EQ(taille, apercu.tailleTotale);
    EXPECT_EQ(apercu.fichiers.size(), apercu.nbFichiers);

    // On disk: exactly the entries announced are gone.
    const std::map<std::string, std::string> apres = Etat(prefixe);
    std::set<std::string> partis;
    for (const auto& [chemin, quoi] : avant) {
      if (!apres.contains(chemin)) partis.insert(chemin);
    }
    Liste nonAnnonces, restes;
    std::set_difference(partis.begin(), partis.end(), annonces.begin(), annonces.end(),
                        std::back_inserter(nonAnnonces));
    std::set_difference(annonces.begin(), annonces.end(), partis.begin(), partis.end(),
                        std::back_inserter(restes));
    EXPECT_EQ(nonAnnonces, Liste{}) << "gone without the preview saying so";
    EXPECT_EQ(restes, Liste{}) << "announced by the preview, still there";
    return apercu;
  }
};

TEST(Emplacements, SaveLocationsThenGameFolders) {
  const Liste jeux = {"C:\\Jeux\\Mon Jeu", "c:/GOG Games/Autre/", "C:\\", "Relatif", ""};
  const std::vector<std::pair<const char*, Emplacement>> cas = {
      {"C:\\users\\steamuser\\AppData\\Roaming\\Jeu\\partie.bak", Emplacement::Sauvegardes},
      {"c:\\USERS\\u\\appdata\\LOCALLOW\\Studio\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Documents\\My Games\\a.log", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Saved Games\\a.tmp", Emplacement::Sauvegardes},
      {"C:\\Program Files\\Jeu\\Saved Games\\a.bak", Emplacement::Sauvegardes},
      {"C:\\Mes documents\\lettre.bak", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Application Data\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Local\\Temp\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\AppData\\Roamingx\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\Roaming\\x.tmp", Emplacement::Ailleurs},
      {"C:\\Program Files\\Jeu\\journal.log", Emplacement::Jeux},
      {"c:\\program files (X86)\\Steam\\a.tmp", Emplacement::Jeux},
      {"C:\\Jeu\\Program Files\\a.tmp", Emplacement::Ailleurs},
      {"C:\\Program Files.bak", Emplacement::Ailleurs},
      {"C:\\jeux\\mon jeu\\données\\a.tmp", Emplacement::Jeux},
      {"C:\\Jeux\\Mon Jeu 2\\a.tmp", Emplacement::Ailleurs},
      {"C:\\GOG Games\\Autre\\a.tmp", Emplacement::Jeux},
      {"C:\\windows\\temp\\..\\..\\Jeux\\Mon Jeu\\a.tmp", Emplacement::Jeux},
      {"C:\\windows\\temp\\a.tmp", Emplacement::Ailleurs},
      {"D:\\Program Files\\a.tmp", Emplacement::Ailleurs},
      {"C:\\ÉTÉ\\Documents\\a.tmp", Emplacement::Sauvegardes},
  };
  for (const auto& [chemin, attendu] : cas) {
    EXPECT_EQ(EmplacementDe(chemin, jeux), attendu) << chemin;
  }
  EXPECT_EQ(EmplacementDe("C:\\Été\\a.tmp", {"C:\\ÉTÉ"}), Emplacement::Jeux);
}

// Every kind of trace: the preview lists it as the run then handles it, save and game folders
// first, and its summary is the run's.
TEST_F(ApercuMenageTest, ListsWhatTheRunDoesSaveAndGameFoldersFirst) {
  const std::string roaming = "C:\\users\\joueur\\AppData\\Roaming";
  Creer(cache + "\\page.htm", 100);
  Creer(cache + "\\index.dat", 100);
  Creer(temp + "\\a.txt", 10);
  Creer(temp + "\\sous\\vide\\b.tmp", 2000, os::attr::ReadOnly | os::attr::Hidden);
  CreerDossier(temp + "\\rien");
  Creer(temp + "\\garde\\index.dat");
  Creer(roaming + "\\Jeu\\partie.bak", 300);
  Creer("C:\\Program Files\\Jeu\\journal.log", 40);
  Creer("C:\\Jeux\\Lutris\\sauve.bak", 7);
  Creer("C:\\Projets\\c.tmp", 5);
  Creer(sbdr + "\\rb000.cab", 1);
  auto adresses = lecteur.createKey(kAdresses);
  for (const char* n : {"url1", "URL2", "url4"}) adresses.setString(n, "http://x");
  lecteur.createKey(kRecherches).setString("MRUList", "a");
  PlanComplet();

  const Apercu a = ApercuPuisMenage({"C:\\Jeux\\Lutris"});

  EXPECT_TRUE(a.optionsValidees);
  // Within each group the order is the run's, which follows the folders' listings (the run's own
  // record has checked it): here the groups' contents.
  ASSERT_EQ(a.nbSensibles, 3u);
  Liste sensibles = Textes(std::vector<FichierApercu>(a.fichiers.begin(), a.fichiers.begin() + 3));
  Liste autres = Textes(std::vector<FichierApercu>(a.fichiers.begin() + 3, a.fichiers.end()));
  std::sort(sensibles.begin(), sensibles.end());
  EXPECT_EQ(sensibles,
            (Liste{"c:\\Jeux\\Lutris\\sauve.bak\t7\t2\tsupprimé",
                   "c:\\Program Files\\Jeu\\journal.log\t40\t2\tsupprimé",
                   "c:\\users\\joueur\\AppData\\Roaming\\Jeu\\partie.bak\t300\t1\tsupprimé"}));
  EXPECT_EQ(autres,
            (Liste{cache + "\\page.htm\t100\t0\tsupprimé", temp + "\\a.txt\t10\t0\tsupprimé",
                   temp + "\\sous\\vide\\b.tmp\t2000\t0\tsupprimé",
                   "c:\\Projets\\c.tmp\t5\t0\tsupprimé", sbdr + "\\rb000.cab\t1\t0\tsupprimé"}));
  EXPECT_EQ(Textes(a.valeurs),
            (Liste{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\turl1",
                   "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\tURL2",
                   "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                   "Doc Find Spec MRU\tMRUList"}));
  // Deepest first.
  ASSERT_EQ(a.dossiers.size(), 3u);
  EXPECT_EQ(std::set<std::string>(a.dossiers.begin(), a.dossiers.end()),
            (std::set<std::string>{temp + "\\sous\\vide", temp + "\\sous", temp + "\\rien"}));
  EXPECT_LT(std::find(a.dossiers.begin(), a.dossiers.end(), temp + "\\sous\\vide"),
            std::find(a.dossiers.begin(), a.dossiers.end(), temp + "\\sous"));
  EXPECT_EQ(a.resume, "8 fichiers pour un total de\r3 kO");
  EXPECT_EQ(a.erreur, "");
}

// A file the run cannot delete (immutable, or in an immutable folder) is counted at each pass
// that meets it and reported once, its folder stays: the preview says the same.
TEST_F(ApercuMenageTest, WhatTheRunCannotDeleteIsToldAsTheRunTellsIt) {
  Creer(temp + "\\verrou.tmp", 10);
  Creer(temp + "\\fige\\dedans.tmp", 20);
  Creer(temp + "\\fige\\aussi.txt", 20);
  Creer(temp + "\\libre.tmp", 30);
  if (!Verrouiller(temp + "\\verrou.tmp") || !Verrouiller(temp + "\\fige\\dedans.tmp")) {
    GTEST_SKIP() << "this file system cannot make a file undeletable";
  }
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.OptionsValidees = true;
  const Apercu a = ApercuPuisMenage();
  EXPECT_EQ(a.nbEchecs, 2u);
  EXPECT_EQ(std::count_if(a.fichiers.begin(), a.fichiers.end(),
                          [](const FichierApercu& f) { return !f.supprime; }),
            4);  // both met by the temporary folder's pass and by "*.tmp"
  EXPECT_EQ(a.dossiers, Liste{});
  EXPECT_NE(a.resume.find("\r2 fichiers n'ont pas pu être supprimés"), std::string::npos)
      << a.resume;
}

// Without validated options a run only asks for them: so does the preview, and nothing else.
TEST_F(ApercuMenageTest, WithoutValidatedOptionsNothingButTheQuestion) {
  Creer(temp + "\\a.tmp");
  PlanComplet();
  plan.OptionsValidees = false;
  const Apercu a = ApercuPuisMenage();
  EXPECT_FALSE(a.optionsValidees);
  EXPECT_TRUE(a.fichiers.empty());
  EXPECT_EQ(a.resume, "");
  EXPECT_TRUE(Existe(temp + "\\a.tmp"));
}

// The run creates the typed-address key when it is missing; the preview never does, and has
// nothing to purge there.
TEST_F(ApercuMenageTest, AMissingKeyIsNeitherCreatedNorPurged) {
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  const Apercu a = ApercuMenage(lecteur, plan);
  EXPECT_TRUE(a.valeurs.empty());
  EXPECT_FALSE(lecteur.openKey(kAdresses));
  EXPECT_EQ(a.resume, "0 fichiers pour un total de\r0 kO");
}

// A hive that cannot be read: the run reports it after its summary, and so does the preview,
// with the same words.
TEST_F(ApercuMenageTest, AnUnreadableHiveIsReportedAfterTheSummary_Linux) {
  Creer(temp + "\\x.txt");
  plan.TableDossiers[4] = temp;
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  std::ofstream(prefixe / "user.reg", std::ios::trunc) << "ceci n'est pas une ruche\n";
  const Apercu a = ApercuPuisMenage();
  EXPECT_NE(a.erreur.find("Base de registre illisible"), std::string::npos) << a.erreur;
  EXPECT_EQ(a.resume, "1 fichiers pour un total de\r1 kO");
}

// Random trees: folders at random depths, names with accents and mixed case, read-only and
// hidden files, hard links, links to folders (in and out of drive C) and to files, files matched
// by two passes, "index.dat", undeletable files and folders, empty sub-folders of TEMP, typed
// addresses with gaps; a random plan. The preview equals the run.
class ApercuAleatoire : public ApercuMenageTest,
                        public ::testing::WithParamInterface<int>,
                        public Tirages {
 protected:
  Liste fichiers, dossiers;

  void Remplir(const std::string& dossier, int profondeur) {
    static const Liste noms = {"a",       "Partie", "partie", "Été", "ÉTÉ", "rapport1", "Rapport2",
                               "journal", "Ça va",  "œuvre",  "Ünï", "x y", "~DF3A"};
    static const Liste extensions = {".tmp", ".TMP", ".Tmp", ".bak",  ".BAK", ".log", ".cab",
                                     ".CAB", ".dat", ".txt", ".~1",   ".$$$", ".---", ".old",
                                     ".gid", ".chk", ".doc", ".tmpx", ""};
    static const Liste sousDossiers = {"Données", "DONNÉES", "Sous", "sous", "Été 2024",
                                       "Cache",   "Saves",   "Ça",   "z"};
    CreerDossier(dossier);
    dossiers.push_back(dossier);
    for (std::size_t n = Hasard(6); n > 0; --n) {
      const std::string nom =
          Pile(12) ? (Pile(2) ? "index.dat" : "INDEX.DAT") : Un(noms) + Un(extensions);
      const std::string chemin = dossier + "\\" + nom;
      if (std::find(fichiers.begin(), fichiers.end(), chemin) != fichiers.end()) continue;
      std::uint32_t attributs = 0;
      if (Pile(4)) attributs = os::attr::ReadOnly;
      if (Pile(4)) attributs |= os::attr::Hidden;
      if (Pile(8)) attributs |= os::attr::System;
      Creer(chemin, Hasard(3000), attributs);
      fichiers.push_back(chemin);
    }
    if (profondeur >= 3) return;
    for (std::size_t n = Hasard(3); n > 0; --n)
      Remplir(dossier + "\\" + Un(sousDossiers), profondeur + 1);
    if (Pile(4)) {
      std::string vide = dossier + "\\Vide";
      for (std::size_t n = Hasard(3); n > 0; --n) vide += "\\v";
      CreerDossier(vide);
    }
  }

  void Construire() {
    alea.seed(static_cast<unsigned>(GetParam()));
    const Liste bases = {cache,
                         historique,
                         recents,
                         cookies,
                         temp,
                         sbdr,
                         "C:\\users\\joueur\\AppData\\Roaming\\Studio\\Jeu",
                         "C:\\users\\joueur\\AppData\\LocalLow\\Éditeur",
                         "C:\\users\\joueur\\Documents\\My Games\\Jeu",
                         "C:\\Program Files\\Jeu",
                         "C:\\Program Files (x86)\\Steam\\steamapps",
                         "C:\\Jeux\\Lutris jeu",
                         "C:\\Projets",
                         "C:\\Ailleurs"};
    for (const std::string& b : bases) Remplir(b, static_cast<int>(Hasard(2)));
    const Liste lieux(dossiers.begin(), dossiers.end());

    // Links to folders: inside drive C, and out of it.
    fs::create_directories(prefixe / "hote" / "sous");
    std::ofstream(prefixe / "hote" / "garde.tmp") << "hôte";
    for (int i = 0; i < 3; ++i) {
      const fs::path cible = Pile(2) ? prefixe / "hote" : Hote(Un(lieux));
      LienDossier(cible, Hote(Un(lieux) + "\\lien" + std::to_string(i)));
    }
    std::error_code ec;
    for (int i = 0; i < 4 && !fichiers.empty(); ++i) {
      // Hard links: a second name elsewhere, matched or not.
      fs::create_hard_link(
          Hote(Un(fichiers)),
          Hote(Un(lieux)) / ("dur" + std::to_string(i) + (Pile(2) ? ".tmp" : ".txt")), ec);
    }
#ifndef _WIN32
    // Links to files (under Wine a link to a file looks like the file itself).
    for (int i = 0; i < 3 && !fichiers.empty(); ++i) {
      fs::create_symlink(Pile(3) ? fs::path("absent.txt") : Hote(Un(fichiers)),
                         Hote(Un(lieux)) / ("lien" + std::to_string(i) + ".tmp"), ec);
    }
    // A folder this user may not write to (as root: no effect).
    fs::permissions(Hote(Un(lieux)),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::others_read,
                    ec);
#endif
    // Undeletable files, and an undeletable folder of TEMP with a file in it.
    for (int i = 0; i < 2 && !fichiers.empty(); ++i) Verrouiller(Un(fichiers));
    Creer(temp + "\\Figé\\dedans.tmp", 12);
    Verrouiller(temp + "\\Figé");

    // Typed addresses with gaps, and recent searches.
    auto adresses = lecteur.createKey(kAdresses);
    for (int n = 1; n <= 6; ++n) {
      if (!Pile(4)) adresses.setString((Pile(2) ? "URL" : "url") + std::to_string(n), "http://x");
    }
    for (const char* autre : {"url0", "url01", "autre"}) adresses.setString(autre, "x");
    if (Pile(2)) {
      auto recherches = lecteur.createKey(kRecherches);
      for (const char* n : {"MRUList", "a", "b"}) recherches.setString(n, "*.doc");
    }

    // A random plan.
    const Liste tous = {cache, historique, recents, cookies, temp, sbdr};
    for (std::size_t i = 0; i < tous.size(); ++i) plan.TableDossiers[i] = Pile(2) ? tous[i] : "";
    if (!Pile(2)) plan.TableDossiers[4] = temp;  // most often: its empty folders go too
    plan.TableRegistre = {Pile(2) ? kRecherches : "", Pile(2) ? kAdresses : ""};
    const Liste masques = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",
                           "*.old", "*.---", "*.~*",  "*.$*"};
    for (std::size_t i = 0; i < masques.size(); ++i)
      plan.TableMotifs[i] = Pile(2) ? masques[i] : "";
    const Liste libres = {"rapport?.doc", "*.dat", "Partie*", "*.TXT", "été*", "dur*"};
    for (std::size_t i = 10; i < 13; ++i) plan.TableMotifs[i] = Pile(2) ? Un(libres) : "";
    plan.OptionsValidees = true;
  }
};

TEST_P(ApercuAleatoire, EqualsTheRun) {
  Construire();
  const Apercu a = ApercuPuisMenage({"C:\\Jeux\\Lutris jeu"});
  EXPECT_TRUE(a.optionsValidees);
}

INSTANTIATE_TEST_SUITE_P(Graines, ApercuAleatoire, ::testing::Range(1, 13));

}  // namespace
