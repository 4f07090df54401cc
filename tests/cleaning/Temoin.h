#pragma once
// A real run recorded (Temoin), the check that a preview tells exactly what a run then does
// (ApercuMenageTest::ApercuPuisMenage), and random trees to try both on (ApercuAleatoire).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
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

using Liste = std::vector<std::string>;

// A real run recorded: every change it asks of the real executant, in order, done or not, each
// file with the size the scanner reported, the place the run handed over and what took it; and
// every file it left as protected.
struct Temoin : TExecutant {
  Temoin(const os::Drive& d, const TScruteDossier& s) : TExecutant(d), scrute(s) {}
  const TScruteDossier& scrute;
  Apercu vu;

  static std::string Chemin(const os::Folder& d, std::string_view n) {
    return d.path() + "\\" + std::string(n);
  }
  void SupprimerFichier(const Entree& f) override {
    vu.fichiers.push_back({Chemin(f.dossier, f.nom), scrute.TailleFichier(), f.emplacement, true,
                           std::string(f.raison), ""});
    try {
      TExecutant::SupprimerFichier(f);
    } catch (const os::SystemError&) {
      vu.fichiers.back().supprime = false;
      throw;
    }
  }
  void Epargner(const Entree& f) override {
    vu.proteges.push_back(
        {Chemin(f.dossier, f.nom), f.taille, f.emplacement, false, std::string(f.raison), ""});
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

inline std::string Texte(const FichierApercu& f) {
  std::ostringstream s;
  s << f.chemin << '\t' << f.taille << '\t' << static_cast<int>(f.emplacement) << '\t'
    << (f.supprime ? "supprimé" : "reste") << '\t' << f.raison;
  return s.str();
}

inline Liste Textes(const std::vector<FichierApercu>& fichiers) {
  Liste l;
  for (const FichierApercu& f : fichiers) l.push_back(Texte(f));
  return l;
}

inline Liste Textes(const std::vector<ValeurApercu>& valeurs) {
  Liste l;
  for (const ValeurApercu& v : valeurs) l.push_back(v.cle + '\t' + v.nom);
  return l;
}

// True for what takes a folder pass's files, false for a mask.
inline bool RaisonDeDossier(const std::string& raison) {
  for (const char* cle : {"Cache", "History", "Recent", "Cookies", "Temp", "Sbdr"}) {
    if (raison == cle) return true;
  }
  return false;
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
  // checks that the preview told exactly what the run did: the files it deletes and those it
  // leaves as protected, each with its place and what takes it. Returns the preview.
  Apercu ApercuPuisMenage(const Liste& jeux = {}, const Liste& sauvegardes = {},
                          bool proteger = false) {
    const std::map<std::string, std::string> avant = Etat(prefixe);
    const Liste valeursAvant = Registre();
    Apercu apercu = ApercuMenage(lecteur, plan, jeux, sauvegardes, proteger);
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
      reel.DossiersSauvegardes = sauvegardes;
      reel.ProtegerSauvegardes = proteger;
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
      scrute.OnIntraitable = scrute.OnFichier;
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
      EXPECT_EQ(apercu.proteges.size(), reel.NbProteges);
      EXPECT_EQ(apercu.tailleProtegee, reel.TailleProtegee);
    }
    finDePasse();
    EXPECT_EQ(apercu.erreur, erreur);
    EXPECT_EQ(apercu.resume, fenetre.messages.empty() ? "" : fenetre.messages.back());
    EXPECT_EQ(apercu.optionsValidees, plan.OptionsValidees);

    // The run's own record, sorted as a preview sorts it; each place the run handed over is
    // the file's own; with the protection on, no mask takes a file of a save location or of a
    // game folder, and every file it leaves lies in one.
    std::vector<FichierApercu> attendus = temoin.vu.fichiers;
    for (const FichierApercu& f : attendus) {
      EXPECT_EQ(f.emplacement, EmplacementDe(f.chemin, jeux, sauvegardes)) << f.chemin;
      if (proteger && !RaisonDeDossier(f.raison)) {
        EXPECT_EQ(f.emplacement, Emplacement::Ailleurs) << f.chemin << " taken by " << f.raison;
      }
    }
    std::uint64_t tailleProtegee = 0;
    for (const FichierApercu& f : apercu.proteges) {
      EXPECT_NE(EmplacementDe(f.chemin, jeux, sauvegardes), Emplacement::Ailleurs) << f.chemin;
      tailleProtegee += f.taille;
    }
    EXPECT_EQ(tailleProtegee, apercu.tailleProtegee);
    EXPECT_EQ(Textes(apercu.proteges), Textes(temoin.vu.proteges));
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

// Random trees: folders at random depths, names with accents and mixed case, read-only and
// hidden files, hard links, links to folders (in and out of drive C) and to files, files matched
// by two passes, "index.dat", undeletable files and folders, empty sub-folders of TEMP, typed
// addresses with gaps; a random plan. The same seed gives the same tree on any drive.
class ApercuAleatoire : public ApercuMenageTest,
                        public ::testing::WithParamInterface<int>,
                        public Tirages {
 protected:
  // The files made (each once, whatever the case of its name) with their sizes, and the folders.
  Liste fichiers, dossiers;
  std::vector<std::uintmax_t> tailles;

  void Remplir(const LecteurTemporaire& t, const std::string& dossier, int profondeur) {
    static const Liste noms = {"a",     "Partie", "partie", "Été", "ÉTÉ", "rapport1",    "Rapport2",
                               "slot1", "Ça va",  "œuvre",  "Ünï", "x y", "sauvegarde1", "~DF3A"};
    static const Liste extensions = {".tmp", ".TMP", ".Tmp", ".bak", ".BAK",  ".log", ".cab",
                                     ".CAB", ".dat", ".txt", ".~1",  ".$$$",  ".---", ".old",
                                     ".gid", ".chk", ".doc", ".sav", ".tmpx", ""};
    static const Liste sousDossiers = {"Données", "DONNÉES", "Sous", "sous", "Été 2024",
                                       "Cache",   "Saves",   "Ça",   "z"};
    t.CreerDossier(dossier);
    dossiers.push_back(dossier);
    for (std::size_t n = Hasard(6); n > 0; --n) {
      const std::string nom =
          Pile(12) ? (Pile(2) ? "index.dat" : "INDEX.DAT") : Un(noms) + Un(extensions);
      const std::string chemin = dossier + "\\" + nom;
      // One file for the names that differ in case only, as Windows has it.
      if (std::any_of(fichiers.begin(), fichiers.end(),
                      [&](const std::string& f) { return os::sameName(f, chemin); })) {
        continue;
      }
      std::uint32_t attributs = 0;
      if (Pile(4)) attributs = os::attr::ReadOnly;
      if (Pile(4)) attributs |= os::attr::Hidden;
      if (Pile(8)) attributs |= os::attr::System;
      tailles.push_back(Hasard(3000));
      Creer(t, chemin, tailles.back(), attributs);
      fichiers.push_back(chemin);
    }
    if (profondeur >= 3) return;
    for (std::size_t n = Hasard(3); n > 0; --n)
      Remplir(t, dossier + "\\" + Un(sousDossiers), profondeur + 1);
    if (Pile(4)) {
      std::string vide = dossier + "\\Vide";
      for (std::size_t n = Hasard(3); n > 0; --n) vide += "\\v";
      t.CreerDossier(vide);
    }
  }

  // The tree of the seed on `t` (the test's own drive by default), and its random plan.
  void Construire(const LecteurTemporaire* sur = nullptr) {
    namespace fs = std::filesystem;
    const LecteurTemporaire& t = sur ? *sur : temporaire;
    alea.seed(static_cast<unsigned>(GetParam()));
    fichiers.clear();
    dossiers.clear();
    tailles.clear();
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
    for (const std::string& b : bases) Remplir(t, b, static_cast<int>(Hasard(2)));
    const Liste lieux(dossiers.begin(), dossiers.end());

    // Links to folders: inside drive C, and out of it.
    fs::create_directories(t.Dossier() / "hote" / "sous");
    std::ofstream(t.Dossier() / "hote" / "garde.tmp") << "hôte";
    for (int i = 0; i < 3; ++i) {
      const fs::path cible = Pile(2) ? t.Dossier() / "hote" : t.Hote(Un(lieux));
      LienDossier(cible, t.Hote(Un(lieux) + "\\lien" + std::to_string(i)));
    }
    std::error_code ec;
    for (int i = 0; i < 4 && !fichiers.empty(); ++i) {
      // Hard links: a second name elsewhere, matched or not.
      fs::create_hard_link(
          t.Hote(Un(fichiers)),
          t.Hote(Un(lieux)) / ("dur" + std::to_string(i) + (Pile(2) ? ".tmp" : ".txt")), ec);
    }
#ifndef _WIN32
    // Links to files (under Wine a link to a file looks like the file itself).
    for (int i = 0; i < 3 && !fichiers.empty(); ++i) {
      fs::create_symlink(Pile(3) ? fs::path("absent.txt") : t.Hote(Un(fichiers)),
                         t.Hote(Un(lieux)) / ("lien" + std::to_string(i) + ".tmp"), ec);
    }
    // A folder this user may not write to (as root: no effect).
    fs::permissions(t.Hote(Un(lieux)),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                        fs::perms::others_read,
                    ec);
#endif
    // Undeletable files, and an undeletable folder of TEMP with a file in it.
    for (int i = 0; i < 2 && !fichiers.empty(); ++i) Verrouiller(t, Un(fichiers));
    Creer(t, temp + "\\Figé\\dedans.tmp", 12);
    Verrouiller(t, temp + "\\Figé");

    // Typed addresses with gaps, and recent searches.
    auto adresses = t->createKey(kAdresses);
    for (int n = 1; n <= 6; ++n) {
      if (!Pile(4)) adresses.setString((Pile(2) ? "URL" : "url") + std::to_string(n), "http://x");
    }
    for (const char* autre : {"url0", "url01", "autre"}) adresses.setString(autre, "x");
    if (Pile(2)) {
      auto recherches = t->createKey(kRecherches);
      for (const char* n : {"MRUList", "a", "b"}) recherches.setString(n, "*.doc");
    }

    // A random plan.
    const Liste tous = {cache, historique, recents, cookies, temp, sbdr};
    for (std::size_t i = 0; i < tous.size(); ++i) plan.TableDossiers[i] = Pile(2) ? tous[i] : "";
    if (!Pile(2)) plan.TableDossiers[4] = temp;  // most often: its empty folders go too
    plan.TableRegistre = {Pile(2) ? kRecherches : "", Pile(2) ? kAdresses : ""};
    for (std::size_t i = 0; i < kMasques.size(); ++i)
      plan.TableMotifs[i] = Pile(2) ? kMasques[i] : "";
    const Liste libres = {"rapport?.doc", "*.dat", "Partie*", "*.TXT", "été*", "dur*", "*.sav"};
    for (std::size_t i = 10; i < 13; ++i) plan.TableMotifs[i] = Pile(2) ? Un(libres) : "";
    plan.OptionsValidees = true;
  }

  // The built-in masks xt1..xt9.
  static inline const Liste kMasques = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log",
                                        "*.old", "*.---", "*.~*",  "*.$*"};
};
