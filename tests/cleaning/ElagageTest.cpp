// Pruned mask passes: after the first, a mask pass enters only the folders where the first found
// its mask, at or below, and those the first did not see; the run deletes what a run entering
// every folder deletes.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/cleaning/Temoin.h"

namespace {

// Counts the folders each pass of a run lists. `complet` undoes the pruning: a mask pass enters
// every folder, as before it. `avant` runs at the start of each pass.
struct Compteur {
  struct Passe {
    std::string dossier, filtre;
    int listes = 0;
  };
  std::vector<Passe> passes;
  TListeEvent carte;  // the run's own listener, called on

  void Brancher(TScruteDossier& s, bool complet, std::function<void(TScruteDossier&)> avant = {}) {
    s.OnExecute = [this, complet, avant](TScruteDossier& x) {
      passes.push_back({x.Dossier, x.Filtre, 0});
      if (complet && x.Dossier == "c:\\") x.OnEntrer = nullptr;  // a mask pass
      if (avant) avant(x);
      carte = x.OnListe;
      x.OnListe = [this](TScruteDossier& y, os::Folder& d) {
        ++passes.back().listes;
        if (carte) carte(y, d);
      };
    };
    s.OnFinExecute = [this](TScruteDossier& x) { x.OnListe = carte; };
  }
  int Listes(const std::string& filtre) const {
    for (const Passe& p : passes) {
      if (p.filtre == filtre) return p.listes;
    }
    return -1;
  }
};

class Elagage : public ApercuAleatoire {
 protected:
  // A run of the plan on `t`, recorded, its passes counted.
  Apercu Lancer(const LecteurTemporaire& t, Compteur& compteur, bool complet, bool proteger) {
    TScruteDossier s;
    FenetreEnregistree f;
    Temoin temoin(*t, s);
    TMenage m(s, plan, f, temoin);
    m.DossiersJeux = {"C:\\Jeux\\Lutris jeu"};
    m.ProtegerSauvegardes = proteger;
    compteur.Brancher(s, complet);
    try {
      m.Lancer();
    } catch (const os::SystemError& e) {
      temoin.vu.erreur = e.what();
    }
    temoin.vu.nbFichiers = m.NbFichiers;
    temoin.vu.tailleTotale = m.TailleTotale;
    temoin.vu.nbEchecs = m.NbEchecs;
    temoin.vu.resume = f.messages.empty() ? "" : f.messages.back();
    return temoin.vu;
  }

  static Liste Tries(Liste l) {
    std::sort(l.begin(), l.end());
    return l;
  }
  static Liste Entrees(const std::filesystem::path& prefixe) {
    Liste l;
    for (const auto& [chemin, quoi] : Etat(prefixe)) l.push_back(chemin);
    return l;
  }

  std::optional<LecteurTemporaire> autre;  // released after the test's undeletable files
};

// The same random tree on two drives, many masks: one run pruned, one entering every folder.
TEST_P(Elagage, DeletesWhatARunEnteringEveryFolderDeletes) {
  autre.emplace("tidora-elagage");
  Construire(&*autre);
  Construire();
  for (std::size_t i = 0; i < kMasques.size(); ++i) plan.TableMotifs[i] = kMasques[i];
  const Liste libres = {"rapport?.doc", "*.dat", "Partie*", "*.TXT",         "été*",
                        "dur*",         "*.sav", "slot*",   "*.introuvable", "lien*"};
  std::copy(libres.begin(), libres.end(), plan.TableMotifs.begin() + 10);
  const bool proteger = GetParam() % 2 == 0;

  Compteur elague, complet;
  const Apercu a = Lancer(temporaire, elague, false, proteger);
  const Apercu b = Lancer(*autre, complet, true, proteger);

  // The listings' orders may differ from one drive to the other: the same changes, in any order.
  EXPECT_EQ(Tries(Textes(a.fichiers)), Tries(Textes(b.fichiers)));
  EXPECT_EQ(Tries(Textes(a.proteges)), Tries(Textes(b.proteges)));
  EXPECT_EQ(Tries(a.dossiers), Tries(b.dossiers));
  EXPECT_EQ(Textes(a.valeurs), Textes(b.valeurs));
  EXPECT_EQ(a.resume, b.resume);
  EXPECT_EQ(a.erreur, b.erreur);
  EXPECT_EQ(Entrees(prefixe), Entrees(autre->Dossier()));

  ASSERT_EQ(elague.passes.size(), complet.passes.size());
  int lesElaguees = 0, lesCompletes = 0;
  for (std::size_t i = 0; i < elague.passes.size(); ++i) {
    EXPECT_EQ(elague.passes[i].filtre, complet.passes[i].filtre);
    EXPECT_LE(elague.passes[i].listes, complet.passes[i].listes) << elague.passes[i].filtre;
    lesElaguees += elague.passes[i].listes;
    lesCompletes += complet.passes[i].listes;
  }
  EXPECT_EQ(elague.Listes("*.tmp"), complet.Listes("*.tmp"));  // the first maps the others
  EXPECT_EQ(elague.Listes("*.introuvable"), 1);                // drive C's root alone
  EXPECT_LT(lesElaguees * 2, lesCompletes);
}

INSTANTIATE_TEST_SUITE_P(Graines, Elagage, ::testing::Range(1, 7));

using ElagageFixe = EnvironnementMenage;

// A mask found in one folder of many: its pass lists only the folders on the way there, and one
// made there since; a mask the plan got during the run walks every folder.
TEST_F(ElagageFixe, OnlyTheWayToWhatTheFirstPassFoundAndWhatItCouldNotSee) {
  for (int d = 0; d < 30; ++d) {
    for (int s = 0; s < 3; ++s)
      Creer("C:\\Projets\\d" + std::to_string(d) + "\\s" + std::to_string(s) + "\\a.tmp");
  }
  Creer("C:\\Projets\\d7\\s2\\x.gid");
  Creer("C:\\Ailleurs\\Profond\\y.neuf");
  plan.TableMotifs = {"*.tmp", "*.gid", "*.chk"};
  plan.OptionsValidees = true;
  Compteur compteur;
  compteur.Brancher(scrute, false, [this](TScruteDossier& s) {
    if (s.Filtre == "*.tmp") plan.TableMotifs[2] = "*.neuf";  // a validation meanwhile
    if (s.Filtre == "*.gid") Creer("C:\\Projets\\d7\\s2\\nouveau\\z.gid");
  });
  menage.Lancer();
  EXPECT_EQ(compteur.Listes("*.gid"), 5);  // c:, Projets, d7, s2 and the new folder
  EXPECT_EQ(compteur.Listes("*.neuf"), compteur.Listes("*.tmp") + 1);
  EXPECT_GT(compteur.Listes("*.tmp"), 120);
  for (const char* f : {"C:\\Projets\\d7\\s2\\x.gid", "C:\\Projets\\d7\\s2\\nouveau\\z.gid",
                        "C:\\Ailleurs\\Profond\\y.neuf"}) {
    EXPECT_FALSE(Existe(f)) << f;
  }
  EXPECT_EQ(menage.NbFichiers, 93u);
}

}  // namespace
