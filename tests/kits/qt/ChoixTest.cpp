// The window that chooses a prefix, over a fake home of a temporary folder: the table shown at
// once and what a run would free in each row as the previews come, the order, a prefix in use and
// the refresh when its program ends, Ouvrir, a folder added by hand, the preview's window, and the
// common choices' window against what the command line then shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <cstdio>
#include <fstream>

#include "kits/qt/FenetreApercu.h"
#include "kits/qt/FenetreChoixCommuns.h"
#include "options/LibellesChoix.h"
#include "prefixes/Apercus.h"
#include "prefixes/Cible.h"
#include "tests/kits/qt/FoyerChoix.h"

namespace fs = std::filesystem;

namespace {

using ChoixTest = FoyerChoix;

// What the command line prints for `arguments` with the fake home's environment.
std::string Programme(const fs::path& home, const std::string& arguments) {
  const std::string commande = "env -i PATH=/usr/bin:/bin HOME='" + home.string() +
                               "' XDG_CONFIG_HOME='" + (home / ".config").string() + "' '" +
                               TIDORA_PROGRAMME + "' " + arguments + " 2>&1";
  std::string sortie;
  if (std::FILE* f = ::popen(commande.c_str(), "r")) {
    char tampon[512];
    while (std::fgets(tampon, sizeof tampon, f) != nullptr) sortie += tampon;
    ::pclose(f);
  }
  return sortie;
}

TEST_F(ChoixTest, ListsEveryPrefixAtOnceThenWhatARunWouldFreeInEachLargestFirst) {
  const fs::path wine = PrefixeWine();
  Ecrire(wine / "drive_c/windows/temp/trace.txt", std::string(5000, 't'));
  Ecrire(wine / "drive_c/Projets/brouillon.bak", "b");  // not a default choice
  const fs::path steam = PrefixeSteam("1001", "Jeu « Un »");
  Options(steam);
  Ecrire(steam / "drive_c/windows/temp/a.dmp", std::string(300000, 'a'));
  Ecrire(steam / "drive_c/Jeu/vieux.bak", "v");  // its own free mask
  // A game's prefix whose game no library holds any more.
  const fs::path orphelin =
      FairePrefixe(Home() / ".local/share/Steam/steamapps/compatdata/1002/pfx");

  Ouvrir(false);
  // Every row at once, before any preview is in.
  ASSERT_EQ(Modele().rowCount(), 3);
  EXPECT_EQ(Colonne(ModelePrefixes::kALiberer), (QStringList{"…", "…", "…"}));
  const int l = Ligne(steam);
  EXPECT_EQ(Cellule(l, ModelePrefixes::kNom), QString::fromUtf8("Jeu « Un »"));
  EXPECT_EQ(Cellule(l, ModelePrefixes::kOrigine), "Steam");
  EXPECT_EQ(Cellule(l, ModelePrefixes::kEtat), "libre");
  EXPECT_EQ(Cellule(l, ModelePrefixes::kDossier), QString::fromStdString(steam.string()));
  EXPECT_EQ(Cellule(Ligne(orphelin), ModelePrefixes::kEtat),
            QString::fromUtf8("libre — jeu désinstallé"));

  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 20000));
  // Each row says what the command line's preview finds there, with the window's own choices.
  for (int i = 0; i < Modele().rowCount(); ++i) {
    const ApercuDuPrefixe a = ApercevoirUn(Modele().At(i), ChoixParDefaut());
    ASSERT_TRUE(a.apercu) << a.erreur;
    const QString attendu = a.apercu->nbFichiers == 0
                                ? QStringLiteral("rien")
                                : TexteTaille(a.apercu->tailleTotale) + " (" +
                                      TexteFichiers(a.apercu->nbFichiers) + ")";
    EXPECT_EQ(Cellule(i, ModelePrefixes::kALiberer), attendu);
    EXPECT_EQ(Cellule(i, ModelePrefixes::kALiberer, ModelePrefixes::kCle).toULongLong(),
              a.apercu->tailleTotale);
    EXPECT_EQ(Cellule(i, ModelePrefixes::kChoix), a.choixPropres ? "propres" : "communes");
  }
  EXPECT_EQ(Cellule(l, ModelePrefixes::kALiberer), QString::fromUtf8("300,0 ko (2 fichiers)"));
  EXPECT_EQ(Cellule(Ligne(wine), ModelePrefixes::kALiberer),
            QString::fromUtf8("5,0 ko (1 fichier)"));
  EXPECT_EQ(Cellule(Ligne(orphelin), ModelePrefixes::kALiberer), "rien");
  EXPECT_EQ(Colonne(ModelePrefixes::kNom),
            (QStringList{QString::fromUtf8("Jeu « Un »"), ".wine", "1002"}));
  EXPECT_TRUE(fenetre->LigneChoisie().has_value());
  EXPECT_TRUE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_TRUE(fenetre->BoutonNettoyer()->isEnabled());
}

// Equal amounts in a name's order whichever way the column sorts; the choice follows its row.
TEST_F(ChoixTest, SortsByBytesToFreeNamesBetweenEqualsAndTheChoiceFollowsItsRow) {
  Ecrire(PrefixeSteam("1001", "b moyen") / "drive_c/windows/temp/f", std::string(20000, 'x'));
  Ecrire(PrefixeSteam("1002", "A gros") / "drive_c/windows/temp/f", std::string(120000, 'x'));
  Ecrire(PrefixeSteam("1003", "c petit") / "drive_c/windows/temp/f", std::string(9000, 'x'));
  PrefixeSteam("1004", "e rien");
  PrefixeSteam("1005", "D rien");
  Ouvrir();
  EXPECT_EQ(Colonne(ModelePrefixes::kNom),
            (QStringList{"A gros", "b moyen", "c petit", "D rien", "e rien"}));
  fenetre->Table()->sortByColumn(ModelePrefixes::kALiberer, Qt::AscendingOrder);
  EXPECT_EQ(Colonne(ModelePrefixes::kNom),
            (QStringList{"D rien", "e rien", "c petit", "b moyen", "A gros"}));
  fenetre->Choisir(Ligne(Home() / ".local/share/Steam/steamapps/compatdata/1003/pfx"));
  fenetre->Table()->sortByColumn(ModelePrefixes::kNom, Qt::DescendingOrder);
  EXPECT_EQ(Modele().At(*fenetre->LigneChoisie()).nom, "c petit");
}

TEST_F(ChoixTest, AHomeWithoutPrefixesNamesWhereItLookedAndAFolderElsewhereIsAdded) {
  Ouvrir();
  EXPECT_EQ(Modele().rowCount(), 0);
  EXPECT_FALSE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_FALSE(fenetre->BoutonNettoyer()->isEnabled());
  EXPECT_FALSE(fenetre->BoutonApercu()->isEnabled());
  EXPECT_EQ(fenetre->Detail()->text(), QString::fromUtf8("Aucun préfixe Wine ou Proton trouvé."));
  const QString lieux = fenetre->Lieux()->text();
  EXPECT_FALSE(fenetre->Lieux()->isHidden());
  for (const char* lieu : {"Steam : ~/.local/share/Steam, ~/.steam/steam", "~/.wine",
                           "Lutris : ", "Heroic : ", "Bottles : ", "~/.local/share/wineprefixes"}) {
    EXPECT_TRUE(lieux.contains(QString::fromUtf8(lieu))) << lieu << "\n" << lieux.toStdString();
  }

  // A prefix no launcher names, given by its drive C; a folder that is none is refused.
  const fs::path ailleurs = FairePrefixe(racine_ / "disque/Bouteille");
  Ecrire(ailleurs / "drive_c/windows/temp/t.txt", "xy");
  EXPECT_THROW(fenetre->AjouterDossier(racine_ / "disque"), ErreurCible);
  fenetre->AjouterDossier(ailleurs / "drive_c");
  ASSERT_EQ(Modele().rowCount(), 1);
  EXPECT_TRUE(fenetre->Lieux()->isHidden());
  EXPECT_EQ(Modele().At(*fenetre->LigneChoisie()).nom, "Bouteille");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  EXPECT_EQ(Cellule(0, ModelePrefixes::kALiberer), QString::fromUtf8("2 o (1 fichier)"));
  // Once only, and still there after a refresh.
  fenetre->AjouterDossier(ailleurs);
  QTest::mouseClick(fenetre->BoutonActualiser(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  ASSERT_EQ(Modele().rowCount(), 1);
  EXPECT_EQ(Modele().At(0).chemin, ailleurs);
}

TEST_F(ChoixTest, APrefixInUseIsGreyedSaysWhyAndCannotBeOpened) {
  const fs::path libre = PrefixeWine();
  const fs::path pris = PrefixeSteam("1001", "Jeu");
  Occupant occupant(pris);
  ASSERT_GT(occupant.pid(), 0);
  Ouvrir();
  const int l = Ligne(pris);
  const QString etat = QStringLiteral("occupé par jeu (processus %1)").arg(occupant.pid());
  EXPECT_EQ(Cellule(l, ModelePrefixes::kEtat), etat);
  EXPECT_TRUE(Cellule(l, ModelePrefixes::kNom, Qt::ToolTipRole).contains(etat));
  const QVariant gris = Modele().data(Modele().index(l, ModelePrefixes::kNom), Qt::ForegroundRole);
  EXPECT_EQ(gris.value<QBrush>().color(),
            QApplication::palette().color(QPalette::Disabled, QPalette::Text));
  EXPECT_FALSE(Modele().data(Modele().index(Ligne(libre), 0), Qt::ForegroundRole).isValid());

  fenetre->Choisir(l);
  EXPECT_FALSE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_TRUE(fenetre->BoutonApercu()->isEnabled());  // a preview changes nothing
  // Nothing checked: « Nettoyer… » takes the chosen row.
  EXPECT_EQ(fenetre->LignesANettoyer(), std::vector<int>{l});
  EXPECT_TRUE(fenetre->Detail()->text().contains(etat)) << fenetre->Detail()->text().toStdString();
  // A double click does not open it either.
  QSignalSpy ouvertures(fenetre.get(), &FenetreChoix::Ouvrir);
  const QModelIndex cellule = fenetre->Table()->selectionModel()->selectedRows().front();
  QTest::mouseDClick(fenetre->Table()->viewport(), Qt::LeftButton, {},
                     fenetre->Table()->visualRect(cellule).center());
  EXPECT_EQ(ouvertures.count(), 0);

  fenetre->Choisir(Ligne(libre));
  EXPECT_TRUE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_FALSE(fenetre->Detail()->text().contains(QStringLiteral("occupé")));
}

// The game that held a prefix ends: the row is free again on its own, and what it left is
// counted; a program starting in another is seen as soon as the window is active again; F5
// finds a prefix made since.
TEST_F(ChoixTest, ARowIsLookedAtAgainWhenItsProgramEndsOrTheWindowIsActivatedOrOnF5) {
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  Ecrire(steam / "drive_c/windows/temp/a.log", "1");
  auto occupant = std::make_unique<Occupant>(steam);
  Ouvrir();
  const int l = Ligne(steam);
  ASSERT_TRUE(Cellule(l, ModelePrefixes::kEtat).startsWith(QStringLiteral("occupé par jeu")));
  EXPECT_EQ(Cellule(l, ModelePrefixes::kALiberer), QString::fromUtf8("1 o (1 fichier)"));
  Ecrire(steam / "drive_c/windows/temp/crash.dmp", std::string(2000, 'c'));
  occupant.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Cellule(l, ModelePrefixes::kEtat) == "libre"; }, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  EXPECT_EQ(Cellule(l, ModelePrefixes::kALiberer), QString::fromUtf8("2,0 ko (2 fichiers)"));

  const fs::path wine = PrefixeWine();
  fenetre->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(fenetre.get()));
  QTest::keyClick(fenetre.get(), Qt::Key_F5);
  ASSERT_EQ(Modele().rowCount(), 2);
  Occupant autre(wine);
  QEvent activation(QEvent::WindowActivate);
  QApplication::sendEvent(fenetre.get(), &activation);
  EXPECT_TRUE(
      Cellule(Ligne(wine), ModelePrefixes::kEtat).startsWith(QStringLiteral("occupé par jeu")));
}

TEST_F(ChoixTest, OuvrirGivesTheChosenPrefixUnlessItWasTakenMeanwhile) {
  const fs::path wine = PrefixeWine();
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  Ouvrir();
  QSignalSpy ouvertures(fenetre.get(), &FenetreChoix::Ouvrir);
  fenetre->Choisir(Ligne(steam));
  QTest::mouseClick(fenetre->BoutonOuvrir(), Qt::LeftButton);
  ASSERT_EQ(ouvertures.count(), 1);
  const Prefixe p = ouvertures.takeFirst().front().value<Prefixe>();
  EXPECT_EQ(p.chemin, steam);
  EXPECT_EQ(p.nom, "Jeu");

  fenetre->Choisir(Ligne(wine));
  QTest::keyClick(fenetre->Table(), Qt::Key_Return);  // the default button
  ASSERT_EQ(ouvertures.count(), 1);
  EXPECT_EQ(ouvertures.takeFirst().front().value<Prefixe>().chemin, wine);

  // Free when the list was made, taken since: looked at again, refused, shown.
  Occupant occupant(steam);
  fenetre->Choisir(Ligne(steam));
  ASSERT_TRUE(fenetre->BoutonOuvrir()->isEnabled());
  QTest::mouseClick(fenetre->BoutonOuvrir(), Qt::LeftButton);
  EXPECT_EQ(ouvertures.count(), 0);
  ASSERT_EQ(erreurs.size(), 1);
  EXPECT_TRUE(erreurs[0].contains(QString::fromStdString(steam.string())));
  EXPECT_TRUE(erreurs[0].contains(QStringLiteral("processus %1").arg(occupant.pid())));
  EXPECT_FALSE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_TRUE(Cellule(Ligne(steam), ModelePrefixes::kEtat).startsWith(QStringLiteral("occupé")));
}

// The preview of a prefix with options of its own: its files with what takes them, a save the
// masks leave apart, nothing touched; with the user's choices including saves (read again on
// F5), the save is listed first.
TEST_F(ChoixTest, PreviewListsWhatARunWouldDeleteProtectedFilesApartAndDeletesNothing) {
  const fs::path p = PrefixeWine();
  Options(p);
  const fs::path sauve = p / "drive_c/users/moi/AppData/Roaming/Jeu/partie.tmp";
  const fs::path trace = p / "drive_c/windows/temp/trace.txt";
  Ecrire(sauve, "sauvegarde");
  Ecrire(trace, "x");
  Ouvrir();
  auto apercu = [&]() -> FenetreApercu* {
    QTest::mouseClick(fenetre->BoutonApercu(), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return fenetre->DernierApercu() != nullptr; }, 10000))
      return nullptr;
    FenetreApercu* a = fenetre->DernierApercu();
    return a->Liste() != nullptr ? a : nullptr;
  };
  FenetreApercu* a = apercu();
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->isVisible());
  EXPECT_EQ(a->windowTitle(), QString::fromUtf8("Tidora 2000 — .wine"));
  EXPECT_EQ(a->Texte(false),
            QString::fromUtf8(
                "Fichiers (1)\nC:\\windows\\temp\\trace.txt\t1 o\tLe contenu du répertoire TEMP\n"
                "Protégés, laissés en place (sauvegardes et dossiers de jeux) (1)\n"
                "C:\\users\\moi\\AppData\\Roaming\\Jeu\\partie.tmp\t10 o\tMasque *.tmp\n"
                "Total : 1 fichier, 1 o ; 1 fichier protégé laissé en place, 10 o\n"))
      << a->Texte(false).toStdString();

  ChoixCommuns c = ChoixParDefaut();
  c.sauvegardes = true;
  EnregistrerChoix(maison_, c);
  a->close();
  QTest::mouseClick(fenetre->BoutonActualiser(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  a = apercu();
  ASSERT_NE(a, nullptr);
  const QStringList lignes = a->Texte(false).split('\n');
  ASSERT_GE(lignes.size(), 5);
  EXPECT_EQ(lignes[0], QStringLiteral("Fichiers dans des dossiers de sauvegardes ou de jeux (1)"));
  EXPECT_EQ(
      lignes[1],
      QStringLiteral("C:\\users\\moi\\AppData\\Roaming\\Jeu\\partie.tmp\t10 o\tMasque *.tmp"));
  EXPECT_EQ(lignes[2], QStringLiteral("Autres fichiers (1)"));
  EXPECT_EQ(a->Resume()->text(), QStringLiteral("Total : 2 fichiers, 11 o"));
  EXPECT_TRUE(fs::exists(sauve));
  EXPECT_TRUE(fs::exists(trace));
  EXPECT_FALSE(fs::exists(p / "drive_c/Program Files/Tidora 2000/Tidora2000.hlp"));
  std::ifstream f(p / "user.reg");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}), "WINE REGISTRY Version 2\n");
}

// A prefix without a hive cannot be previewed (its row and the error box say why, nothing is
// created there); one without options of its own takes the common choices, nothing written there.
TEST_F(ChoixTest, PreviewOfAPrefixWithoutAHiveIsRefusedOneWithoutOptionsTakesTheCommonChoices) {
  const fs::path sansRuche = PrefixeSteam("1001", "Jeu");
  fs::remove(sansRuche / "user.reg");
  const fs::path wine = PrefixeWine();
  Ecrire(wine / "drive_c/windows/temp/trace.txt", "x");
  Ecrire(wine / "drive_c/Projets/brouillon.bak", "b");
  Ouvrir();
  const int l = Ligne(sansRuche);
  EXPECT_EQ(Cellule(l, ModelePrefixes::kALiberer), QString::fromUtf8("pas d'aperçu"));
  EXPECT_TRUE(Cellule(l, ModelePrefixes::kALiberer, Qt::ToolTipRole)
                  .contains(QString::fromStdString(sansRuche.string())));
  fenetre->Choisir(l);
  fenetre->MontrerApercu();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !erreurs.isEmpty(); }, 10000));
  EXPECT_TRUE(erreurs[0].contains(QString::fromStdString(sansRuche.string())));
  EXPECT_EQ(fenetre->DernierApercu(), nullptr);
  EXPECT_FALSE(fs::exists(sansRuche / "user.reg"));

  fenetre->Choisir(Ligne(wine));
  fenetre->MontrerApercu();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fenetre->DernierApercu() != nullptr; }, 10000));
  // The safe default: the temporary folder, never *.bak.
  EXPECT_EQ(fenetre->DernierApercu()->Texte(false),
            QString::fromUtf8("Fichiers (1)\nC:\\windows\\temp\\trace.txt\t1 o\tLe contenu du "
                              "répertoire TEMP\nTotal : 1 fichier, 1 o\n"));
  EXPECT_FALSE(fs::exists(wine / "drive_c/Program Files"));
}

// What the window saves is what `tidora2000 --choix` shows; a refused mask is said in the window
// and nothing is saved; the rows taking the common choices are previewed again with them.
TEST_F(ChoixTest, TheChoicesWindowSavesWhatTheCommandLineThenShows) {
  const fs::path wine = PrefixeWine();
  Ecrire(wine / "drive_c/users/moi/Documents/vieux.bak", "bak");
  Ouvrir();
  EXPECT_EQ(Cellule(Ligne(wine), ModelePrefixes::kALiberer), "rien");
  QTest::mouseClick(fenetre->BoutonChoix(), Qt::LeftButton);
  FenetreChoixCommuns* choix = fenetre->DerniersChoix();
  ASSERT_NE(choix, nullptr);
  EXPECT_EQ(choix->windowTitle(), QString::fromUtf8("Tidora 2000 — Choix communs"));
  EXPECT_EQ(choix->BoutonOublier(), nullptr);  // the chosen prefix has no choices of its own
  for (std::size_t i = 0; i < 17; ++i) {
    EXPECT_EQ(choix->Case(i)->text().toStdString(), LibellesChoix[i].libelle);
    EXPECT_EQ(choix->Case(i)->isChecked(), ChoixParDefaut().cases[i]) << i;
    choix->Case(i)->setChecked(i == 0 || i == 5 || i == 9);  // cache, TEMP, *.bak
  }
  choix->Sauvegardes()->setChecked(true);
  choix->Masques()->setText(QStringLiteral("*.*"));
  QTest::mouseClick(choix->BoutonEnregistrer(), Qt::LeftButton);
  EXPECT_TRUE(choix->isVisible());
  EXPECT_TRUE(choix->Erreur()->text().contains(QString::fromUtf8("Masque refusé")))
      << choix->Erreur()->text().toStdString();
  EXPECT_FALSE(LireChoix(maison_).has_value());
  choix->Masques()->setText(QStringLiteral("*.dmp;*.crash"));
  QTest::mouseClick(choix->BoutonEnregistrer(), Qt::LeftButton);
  EXPECT_FALSE(choix->isVisible());

  const std::string sortie = Programme(Home(), "--choix");
  for (std::size_t i = 0; i < 17; ++i) {
    const std::string ligne = std::string(i == 0 || i == 5 || i == 9 ? "  [x] " : "  [ ] ") +
                              std::string(LibellesChoix[i].libelle);
    EXPECT_NE(sortie.find(ligne), std::string::npos) << ligne << "\n" << sortie;
  }
  EXPECT_NE(sortie.find("Masques : *.dmp;*.crash\n"), std::string::npos) << sortie;
  EXPECT_NE(sortie.find("Sauvegardes et dossiers de jeux : nettoyés par les masques\n"),
            std::string::npos)
      << sortie;
  // The save's backup is taken now.
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  EXPECT_EQ(Cellule(Ligne(wine), ModelePrefixes::kALiberer), QString::fromUtf8("3 o (1 fichier)"));
  EXPECT_EQ(fenetre->ChoixEnCours().masques, "*.dmp;*.crash");
}

// A prefix's own choices made the common ones (its boxes and free masks), then forgotten: it
// takes the common choices from then on.
TEST_F(ChoixTest, APrefixsOwnChoicesAreMadeTheCommonOnesThenForgotten) {
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  Options(steam);
  const fs::path options = steam / "drive_c/Program Files/Tidora 2000/options.ini";
  Ouvrir();
  fenetre->Choisir(Ligne(steam));
  EXPECT_EQ(Cellule(Ligne(steam), ModelePrefixes::kChoix), "propres");
  fenetre->MontrerChoix();
  FenetreChoixCommuns* choix = fenetre->DerniersChoix();
  ASSERT_NE(choix, nullptr);
  ASSERT_NE(choix->BoutonOublier(), nullptr);
  QTest::mouseClick(choix->BoutonCommuns(), Qt::LeftButton);
  const std::optional<ChoixCommuns> communs = LireChoix(maison_);
  ASSERT_TRUE(communs.has_value()) << choix->Erreur()->text().toStdString();
  ChoixOptions attendues{};
  attendues[5] = attendues[8] = true;  // TEMP, *.tmp
  EXPECT_EQ(communs->cases, attendues);
  EXPECT_EQ(communs->masques, "*.bak");
  EXPECT_EQ(choix->Choix(), *communs);
  EXPECT_TRUE(fs::exists(options));

  QTest::mouseClick(choix->BoutonOublier(), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(options));
  EXPECT_FALSE(choix->BoutonOublier()->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 10000));
  EXPECT_EQ(Cellule(Ligne(steam), ModelePrefixes::kChoix), "communes");
}

// The list from any preview: headings only with their rows, values, folders and protected files
// after the files, a file the run could not delete marked, the run's failure after its total;
// copied as text.
TEST(FenetreApercuTest, ShowsEveryGroupInOrderAndCopiesIt) {
  Apercu a;
  a.fichiers = {{"C:\\Program Files\\Jeu\\j.log", 40, Emplacement::Jeux, true, "*.log", ""},
                {"C:\\windows\\temp\\a.tmp", 2500, Emplacement::Ailleurs, false, "Temp", ""}};
  a.nbSensibles = 1;
  a.proteges = {
      {"C:\\users\\u\\Saved Games\\s.log", 7, Emplacement::Sauvegardes, true, "*.log", ""}};
  a.valeurs = {{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"}};
  a.dossiers = {"C:\\windows\\temp\\vide"};
  a.nbFichiers = 2;
  a.tailleTotale = 2540;
  a.nbEchecs = 1;
  a.tailleProtegee = 7;
  a.erreur = "Registre illisible";
  FenetreApercu fenetre(a, QStringLiteral("Jeu"), QString());
  fenetre.show();
  EXPECT_EQ(fenetre.windowTitle(), QString::fromUtf8("Tidora 2000 — Jeu"));
  EXPECT_EQ(fenetre.Texte(false),
            QString::fromUtf8("Fichiers dans des dossiers de sauvegardes ou de jeux (1)\n"
                              "C:\\Program Files\\Jeu\\j.log\t40 o\tMasque *.log\n"
                              "Autres fichiers (1)\n"
                              "C:\\windows\\temp\\a.tmp\t2,5 ko\tLe contenu du répertoire TEMP ; "
                              "ne pourrait pas être supprimé\n"
                              "Valeurs du registre (1)\n"
                              "« url1 » dans HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
                              "Explorer\\TypedURLs\n"
                              "Dossiers vides (1)\n"
                              "C:\\windows\\temp\\vide\n"
                              "Protégés, laissés en place (sauvegardes et dossiers de jeux) (1)\n"
                              "C:\\users\\u\\Saved Games\\s.log\t7 o\tMasque *.log\n"
                              "Total : 2 fichiers, 2,5 ko ; 1 non supprimable ; 1 fichier protégé "
                              "laissé en place, 7 o\n"
                              "Puis il signalerait : Registre illisible\n"));

  // The copy key copies the selected rows only.
  QTreeWidget* liste = fenetre.Liste();
  liste->clearSelection();
  liste->topLevelItem(1)->child(0)->setSelected(true);
  QTest::keySequence(liste, QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QString::fromUtf8("C:\\windows\\temp\\a.tmp\t2,5 ko\tLe contenu du répertoire TEMP ; "
                              "ne pourrait pas être supprimé\n"));
  // Copier la liste: all of it.
  for (QPushButton* b : fenetre.findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("&Copier la liste")) b->click();
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), fenetre.Texte(false));
}

TEST(FenetreApercuTest, NothingToDeleteIsSaid) {
  Apercu a;
  FenetreApercu fenetre(a, QStringLiteral("Jeu"), QStringLiteral("occupé par wine (processus 7)"));
  EXPECT_EQ(fenetre.Texte(false), QString::fromUtf8("Un nettoyage n'effacerait rien.\n"
                                                    "Total : 0 fichier, 0 o\n"));
  bool dit = false;
  for (const QLabel* l : fenetre.findChildren<QLabel*>()) {
    dit = dit || l->text().contains(QStringLiteral(
                     "occupé par wine (processus 7) : un nettoyage y serait refusé"));
  }
  EXPECT_TRUE(dit);
}

}  // namespace
