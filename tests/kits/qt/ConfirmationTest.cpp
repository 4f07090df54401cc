// « Nettoyer… » from the chooser over a fake home: the confirmation shows each prefix's fresh
// preview by what takes the files, the protected ones apart; what is left unchecked stays, the
// rest goes exactly as previewed; the runs can be stopped; the rows cleaned are looked at again.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "kits/qt/FenetreNettoyage.h"
#include "tests/kits/qt/FoyerChoix.h"

namespace fs = std::filesystem;

namespace {

class ConfirmationTest : public FoyerChoix {
 protected:
  // Checks the rows of `dossiers`, presses « Nettoyer… » and waits for the confirmation.
  FenetreNettoyage* Confirmer(const std::vector<fs::path>& dossiers) {
    for (const fs::path& d : dossiers) Modele().Cocher(Ligne(d), true);
    QTest::mouseClick(fenetre->BoutonNettoyer(), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return fenetre->DerniereConfirmation() != nullptr; }, 10000)) {
      return nullptr;
    }
    return fenetre->DerniereConfirmation();
  }
  // The confirmation's number of the prefix `dossier`.
  static std::size_t Numero(const FenetreNettoyage& c, const fs::path& dossier) {
    for (std::size_t i = 0; i < c.NbPrefixes(); ++i) {
      if (c.ApercuDe(i).prefixe.chemin == dossier) return i;
    }
    ADD_FAILURE() << "pas dans la confirmation : " << dossier;
    return 0;
  }
};

// Two prefixes cleaned from one confirmation, one file of the first left out: it stays, every
// other file the previews listed goes (and nothing else), a save stays protected, a third prefix
// checked but in use is left out unless checked there, and the rows are looked at again.
TEST_F(ConfirmationTest, CleansWhatIsCheckedAsPreviewedLeavesTheRestAndTheProtectedSaves) {
  const fs::path wine = PrefixeWine();
  for (const char* f : {"a.txt", "b.txt", "c.txt"}) Ecrire(wine / "drive_c/windows/temp" / f, f);
  const fs::path sauve = wine / "drive_c/users/moi/AppData/Roaming/Jeu/partie.tmp";
  Ecrire(sauve, "sauvegarde");
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  Options(steam);
  Ecrire(steam / "drive_c/windows/temp/d.dmp", std::string(4000, 'd'));
  Ecrire(steam / "drive_c/Outils/e.tmp", "ee");
  Ecrire(steam / "drive_c/Outils/f.bak", "fff");
  Ecrire(steam / "drive_c/Outils/garde.txt", "g");
  const fs::path pris = PrefixeSteam("1002", "Pris");
  Ecrire(pris / "drive_c/windows/temp/p.txt", "p");
  Occupant occupant(pris);
  Ouvrir();

  FenetreNettoyage* c = Confirmer({wine, steam, pris});
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->NbPrefixes(), 3u);
  EXPECT_EQ(c->windowTitle(), QString::fromUtf8("Tidora 2000 — Jeu, Pris, .wine"));
  const std::size_t w = Numero(*c, wine), s = Numero(*c, steam), p = Numero(*c, pris);
  // By what takes the files; the save apart, with no box.
  QTreeWidgetItem* prefixe = c->ElementPrefixe(s);
  ASSERT_EQ(prefixe->childCount(), 3);
  EXPECT_EQ(prefixe->child(0)->text(0),
            QString::fromUtf8("Le contenu du répertoire TEMP (1 fichier)"));
  EXPECT_EQ(prefixe->child(1)->text(0), QStringLiteral("Masque *.tmp (1 fichier)"));
  EXPECT_EQ(prefixe->child(2)->text(0), QStringLiteral("Masque *.bak (1 fichier)"));
  QTreeWidgetItem* proteges = c->ElementPrefixe(w)->child(c->ElementPrefixe(w)->childCount() - 1);
  EXPECT_TRUE(proteges->text(0).startsWith(QString::fromUtf8("Protégés, laissés en place")));
  ASSERT_EQ(proteges->childCount(), 1);
  EXPECT_EQ(proteges->child(0)->text(0),
            QStringLiteral("C:\\users\\moi\\AppData\\Roaming\\Jeu\\partie.tmp"));
  EXPECT_FALSE(proteges->child(0)->flags() & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(proteges->child(0)->data(0, Qt::CheckStateRole).isValid());
  // The prefix in use: told, and left out until checked.
  EXPECT_TRUE(c->ElementPrefixe(p)->text(2).startsWith(QStringLiteral("occupé par jeu")));
  EXPECT_FALSE(c->Choisi(p));
  EXPECT_TRUE(c->Choisi(w) && c->Choisi(s));

  // A group unchecked takes its files along, and back; one file left out.
  QTreeWidgetItem* masque = prefixe->child(1);
  masque->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(masque->child(0)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(prefixe->checkState(0), Qt::PartiallyChecked);
  masque->setCheckState(0, Qt::Checked);
  EXPECT_EQ(prefixe->checkState(0), Qt::Checked);
  QTreeWidgetItem* b = c->ElementFichier(w, "C:\\windows\\temp\\b.txt");
  ASSERT_NE(b, nullptr);
  b->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(c->ElementPrefixe(w)->checkState(0), Qt::PartiallyChecked);
  ASSERT_EQ(c->Laisses(w).size(), 1u);
  EXPECT_EQ(c->Laisses(w).begin()->nom, "b.txt");
  EXPECT_TRUE(c->Laisses(s).empty());
  EXPECT_EQ(c->Total()->text(),
            QString::fromUtf8("À effacer : 5 fichiers, 4,0 ko dans 2 préfixes ; laissés : 2 "
                              "fichiers, 6 o ; protégés : 1 fichier, 10 o"));
  // « Toujours garder » on a selected file: kept for good in its prefix, shown so, left by the run.
  QTreeWidgetItem* fa = c->ElementFichier(w, "C:\\windows\\temp\\a.txt");
  ASSERT_NE(fa, nullptr);
  fa->setSelected(true);
  QTest::mouseClick(c->BoutonGarder(), Qt::LeftButton);
  EXPECT_EQ(fa->text(2), QString::fromUtf8("gardé"));
  EXPECT_EQ(LireChoix(maison_)->gardes,
            (std::vector<ElementGarde>{{wine, "C:\\windows\\temp\\a.txt"}}));

  const ApercuDuPrefixe apercuWine = c->ApercuDe(w), apercuSteam = c->ApercuDe(s);
  QTest::mouseClick(c->BoutonNettoyer(), Qt::LeftButton);
  // The window stays, saying what each run came to.
  EXPECT_TRUE(c->isVisible());
  EXPECT_FALSE(c->BoutonNettoyer()->isEnabled());
  ASSERT_TRUE(c->Bilan(w) && c->Bilan(s));
  EXPECT_FALSE(c->Bilan(p).has_value());
  EXPECT_EQ(c->Etat(p), QStringLiteral("non choisi"));
  EXPECT_EQ(c->Bilan(w)->nbFichiers, apercuWine.apercu->nbFichiers - 2);
  EXPECT_EQ(c->Bilan(w)->nbGardes, 1u);
  EXPECT_EQ(c->Bilan(s)->nbFichiers, apercuSteam.apercu->nbFichiers);
  EXPECT_EQ(c->Bilan(s)->taille, apercuSteam.apercu->tailleTotale);
  EXPECT_EQ(c->Bilan(w)->nbProteges, 1u);
  EXPECT_TRUE(c->Etat(s).startsWith(QStringLiteral("fait : 3 fichiers, 4,0 ko")))
      << c->Etat(s).toStdString();
  EXPECT_EQ(c->Barre(s)->value(), c->Barre(s)->maximum());
  EXPECT_EQ(c->Barre(w)->maximum(), 1);
  // Each file previewed is gone but the one left out and the one kept; nothing else was touched.
  for (const ApercuDuPrefixe* a : {&apercuWine, &apercuSteam}) {
    for (const FichierApercu& f : a->apercu->fichiers) {
      EXPECT_EQ(fs::exists(f.hote),
                f.chemin == "C:\\windows\\temp\\b.txt" || f.chemin == "C:\\windows\\temp\\a.txt")
          << f.hote;
    }
  }
  EXPECT_TRUE(fs::exists(sauve));
  EXPECT_TRUE(fs::exists(steam / "drive_c/Outils/garde.txt"));
  EXPECT_TRUE(fs::exists(pris / "drive_c/windows/temp/p.txt"));

  // The rows cleaned, previewed again, unchecked.
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  EXPECT_EQ(Cellule(Ligne(wine), ModelePrefixes::kALiberer), QString::fromUtf8("5 o (1 fichier)"));
  EXPECT_EQ(Cellule(Ligne(steam), ModelePrefixes::kALiberer), "rien");
  EXPECT_EQ(Modele().Coches(), std::vector<int>{Ligne(pris)});
  c->close();
}

// Stopper during a run: the run under way stops where it is, the next prefix is not begun, and
// the window answered meanwhile (the stop came through the event queue during the run).
TEST_F(ConfirmationTest, StopperStopsTheRunUnderWayAndThoseAfter) {
  const fs::path gros = PrefixeSteam("1001", "Gros");
  for (int i = 0; i < 4000; ++i) {
    Ecrire(
        gros / "drive_c/windows/temp" / ("d" + std::to_string(i % 40)) / ("f" + std::to_string(i)),
        "x");
  }
  const fs::path petit = PrefixeSteam("1002", "Petit");
  Ecrire(petit / "drive_c/windows/temp/t.txt", "t");
  Ouvrir();
  FenetreNettoyage* c = Confirmer({gros, petit});
  ASSERT_NE(c, nullptr);
  const std::size_t g = Numero(*c, gros), p = Numero(*c, petit);
  ASSERT_LT(g, p);  // the rows' order: the large one first
  QTimer::singleShot(0, c, [c] {
    EXPECT_TRUE(c->EnCours());
    EXPECT_TRUE(c->BoutonStopper()->isEnabled());
    c->BoutonStopper()->click();
  });
  c->Nettoyer();
  EXPECT_FALSE(c->EnCours());
  ASSERT_TRUE(c->Bilan(g).has_value());
  EXPECT_LT(c->Bilan(g)->nbFichiers, 4000u);
  EXPECT_TRUE(c->Etat(g).startsWith(QString::fromUtf8("arrêté : "))) << c->Etat(g).toStdString();
  EXPECT_FALSE(c->Bilan(p).has_value());
  EXPECT_EQ(c->Etat(p), QString::fromUtf8("non nettoyé : arrêté avant"));
  EXPECT_TRUE(fs::exists(petit / "drive_c/windows/temp/t.txt"));
  c->close();
}

}  // namespace
