// The window that chooses a prefix, over a fake home of a temporary folder (the user's choices
// kept there too): the table and its sizes, sorting, a prefix in use, Ouvrir, and the preview's
// list with the prefix's own options or the common choices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>

#include "kits/qt/FenetreApercu.h"
#include "kits/qt/FenetreChoix.h"
#include "kits/qt/Messages.h"
#include "kits/qt/ModelePrefixes.h"
#include "prefixes/Choix.h"
#include "prefixes/Taille.h"
#include "tests/prefixes/FauxFoyer.h"
#include "tests/support/Enfant.h"

namespace fs = std::filesystem;

namespace {

// A game holding a file of a prefix open: a program working in it.
class Occupant : public Enfant {
 public:
  explicit Occupant(const fs::path& prefixe)
      : Enfant("jeu",
               [prefixe] { return ::open((prefixe / "system.reg").c_str(), O_RDONLY) >= 0; }) {}
};

class ChoixTest : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    // The user's choices are read from the environment's configuration folder: the test's own.
    if (const char* c = std::getenv("XDG_CONFIG_HOME")) config_ = c;
    ::setenv("XDG_CONFIG_HOME", (racine_ / "config").c_str(), 1);
    InterceptionMessages = [this](TypeMessage type, const QString& texte) {
      if (type == TypeMessage::Erreur) erreurs << texte;
    };
  }
  void TearDown() override {
    fenetre.reset();
    InterceptionMessages = nullptr;
    if (config_)
      ::setenv("XDG_CONFIG_HOME", config_->c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    FauxFoyer::TearDown();
  }

  // A Steam game's prefix in the default library, named by its manifest.
  fs::path PrefixeSteam(const std::string& appid, const std::string& nom) {
    const fs::path apps = Home() / ".local/share/Steam/steamapps";
    Ecrire(apps / ("appmanifest_" + appid + ".acf"), "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid +
                                                         "\"\n\t\"name\"\t\t\"" + nom +
                                                         "\"\n\t\"installdir\"\t\t\"jeu\"\n}\n");
    return FairePrefixe(apps / "compatdata" / appid / "pfx");
  }
  fs::path PrefixeWine() { return FairePrefixe(Home() / ".wine"); }
  // Validated options: the temporary folder and "*.tmp" everywhere.
  static void Options(const fs::path& prefixe) {
    Ecrire(prefixe / "drive_c/Program Files/Tidora 2000/options.ini",
           "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\nxt1=*.tmp\r\n");
  }

  void Ouvrir() {
    fenetre = std::make_unique<FenetreChoix>(maison_);
    fenetre->show();
  }
  ModelePrefixes& Modele() const { return *fenetre->Modele(); }
  // The model's row of the prefix `dossier`.
  int Ligne(const fs::path& dossier) const {
    for (int i = 0; i < Modele().rowCount(); ++i) {
      if (Modele().At(i).chemin == dossier) return i;
    }
    ADD_FAILURE() << "pas dans la liste : " << dossier;
    return 0;
  }
  QString Cellule(int ligne, int colonne, int role = Qt::DisplayRole) const {
    return Modele().data(Modele().index(ligne, colonne), role).toString();
  }
  bool TaillesMesurees() const {
    for (const Prefixe& p : Modele().Prefixes()) {
      if (!p.taille) return false;
    }
    return true;
  }
  // The table's column `colonne`, top to bottom, as shown.
  QStringList Colonne(int colonne) const {
    QStringList textes;
    const QAbstractItemModel* vue = fenetre->Table()->model();
    for (int i = 0; i < vue->rowCount(); ++i) textes << vue->index(i, colonne).data().toString();
    return textes;
  }

  // The common choices saved for the user, as --choix would save them.
  void InclureSauvegardes(bool sauvegardes) {
    ChoixCommuns c = ChoixParDefaut();
    c.sauvegardes = sauvegardes;
    EnregistrerChoix(Maison::DuSysteme(), c);
  }

  std::unique_ptr<FenetreChoix> fenetre;
  QStringList erreurs;
  std::optional<std::string> config_;
};

TEST_F(ChoixTest, ListsEveryPrefixAtOnceAndItsSizeOnceMeasured) {
  const fs::path wine = PrefixeWine();
  const fs::path steam = PrefixeSteam("1001", "Jeu « Un »");
  Ecrire(steam / "drive_c/jeu.pak", std::string(300000, 'j'));
  Ouvrir();
  ASSERT_EQ(Modele().rowCount(), 2);
  const int l = Ligne(steam);
  EXPECT_EQ(Cellule(l, ModelePrefixes::kNom), QString::fromUtf8("Jeu « Un »"));
  EXPECT_EQ(Cellule(l, ModelePrefixes::kOrigine), "Steam");
  EXPECT_EQ(Cellule(l, ModelePrefixes::kEtat), "libre");
  EXPECT_EQ(Cellule(l, ModelePrefixes::kDossier), QString::fromStdString(steam.string()));
  EXPECT_EQ(Cellule(Ligne(wine), ModelePrefixes::kOrigine), "Wine");

  ASSERT_TRUE(QTest::qWaitFor([&] { return TaillesMesurees(); }, 10000));
  const std::uint64_t octets = TailleSurDisque(steam / "drive_c");
  EXPECT_EQ(Modele().At(l).taille, octets);
  EXPECT_GT(octets, 300000u);
  EXPECT_EQ(Cellule(l, ModelePrefixes::kTaille, ModelePrefixes::kCle).toULongLong(), octets);
  EXPECT_TRUE(Cellule(l, ModelePrefixes::kTaille).endsWith(" ko"))
      << Cellule(l, ModelePrefixes::kTaille).toStdString();
  // A prefix is chosen from the start, and may be opened.
  EXPECT_TRUE(fenetre->LigneChoisie().has_value());
  EXPECT_TRUE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_TRUE(fenetre->BoutonApercu()->isEnabled());
}

TEST_F(ChoixTest, AHomeWithoutPrefixesSaysSoAndOffersNothing) {
  Ouvrir();
  EXPECT_EQ(Modele().rowCount(), 0);
  EXPECT_FALSE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_FALSE(fenetre->BoutonApercu()->isEnabled());
  EXPECT_EQ(fenetre->Detail()->text(), QString::fromUtf8("Aucun préfixe Wine ou Proton trouvé."));
}

// Sizes sort by bytes ("9,0 ko" below "12,0 ko", whatever the text says), names as words.
TEST_F(ChoixTest, ColumnsSortSizesByBytes) {
  Ecrire(PrefixeSteam("1001", "b moyen") / "drive_c/f", std::string(20000, 'x'));
  Ecrire(PrefixeSteam("1002", "A gros") / "drive_c/f", std::string(120000, 'x'));
  Ecrire(PrefixeSteam("1003", "c petit") / "drive_c/f", std::string(1, 'x'));
  Ouvrir();
  ASSERT_TRUE(QTest::qWaitFor([&] { return TaillesMesurees(); }, 10000));
  EXPECT_EQ(Colonne(ModelePrefixes::kNom), (QStringList{"A gros", "b moyen", "c petit"}));
  fenetre->Table()->sortByColumn(ModelePrefixes::kTaille, Qt::AscendingOrder);
  EXPECT_EQ(Colonne(ModelePrefixes::kNom), (QStringList{"c petit", "b moyen", "A gros"}));
  fenetre->Table()->sortByColumn(ModelePrefixes::kTaille, Qt::DescendingOrder);
  EXPECT_EQ(Colonne(ModelePrefixes::kNom), (QStringList{"A gros", "b moyen", "c petit"}));
  // The choice follows its prefix through a new order.
  fenetre->Choisir(Ligne(Home() / ".local/share/Steam/steamapps/compatdata/1003/pfx"));
  fenetre->Table()->sortByColumn(ModelePrefixes::kNom, Qt::DescendingOrder);
  EXPECT_EQ(Modele().At(*fenetre->LigneChoisie()).nom, "c petit");
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

// Back in the window after closing the game, the prefix is free again; after starting one in
// another, that one is taken.
TEST_F(ChoixTest, TheStateIsLookedAtAgainWhenTheWindowIsActivated) {
  const fs::path wine = PrefixeWine();
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  auto occupant = std::make_unique<Occupant>(steam);
  Ouvrir();
  fenetre->Choisir(Ligne(steam));
  ASSERT_FALSE(fenetre->BoutonOuvrir()->isEnabled());
  occupant.reset();
  Occupant autre(wine);
  QEvent activation(QEvent::WindowActivate);
  QApplication::sendEvent(fenetre.get(), &activation);
  EXPECT_EQ(Cellule(Ligne(steam), ModelePrefixes::kEtat), "libre");
  EXPECT_TRUE(fenetre->BoutonOuvrir()->isEnabled());
  EXPECT_TRUE(
      Cellule(Ligne(wine), ModelePrefixes::kEtat).startsWith(QStringLiteral("occupé par jeu")));
}

TEST_F(ChoixTest, OuvrirGivesTheChosenFolderUnlessItWasTakenMeanwhile) {
  const fs::path wine = PrefixeWine();
  const fs::path steam = PrefixeSteam("1001", "Jeu");
  Ouvrir();
  QSignalSpy ouvertures(fenetre.get(), &FenetreChoix::Ouvrir);
  fenetre->Choisir(Ligne(steam));
  QTest::mouseClick(fenetre->BoutonOuvrir(), Qt::LeftButton);
  ASSERT_EQ(ouvertures.count(), 1);
  EXPECT_EQ(ouvertures.takeFirst().front().value<fs::path>(), steam);

  fenetre->Choisir(Ligne(wine));
  QTest::keyClick(fenetre->Table(), Qt::Key_Return);  // the default button
  ASSERT_EQ(ouvertures.count(), 1);
  EXPECT_EQ(ouvertures.takeFirst().front().value<fs::path>(), wine);

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

// The preview of a prefix with options of its own: its files listed, save locations first when
// the user's choices include them, and nothing touched; by default a save is left by the masks
// and the list does not hold it.
TEST_F(ChoixTest, PreviewListsWhatARunWouldDeleteAndDeletesNothing) {
  const fs::path p = PrefixeWine();
  Options(p);
  const fs::path sauve = p / "drive_c/users/moi/AppData/Roaming/Jeu/partie.tmp";
  const fs::path trace = p / "drive_c/windows/temp/trace.txt";
  Ecrire(sauve, "sauvegarde");
  Ecrire(trace, "x");
  const std::string ruche = "WINE REGISTRY Version 2\n";
  Ouvrir();
  QTest::mouseClick(fenetre->BoutonApercu(), Qt::LeftButton);
  FenetreApercu* apercu = fenetre->DernierApercu();
  ASSERT_NE(apercu, nullptr);
  EXPECT_TRUE(apercu->isVisible());
  ASSERT_NE(apercu->Liste(), nullptr);
  EXPECT_EQ(
      apercu->Texte(false),
      QString::fromUtf8("Fichiers (1)\nC:\\windows\\temp\\trace.txt\t1 o\n"
                        "1 fichiers pour un total de\n1 kO\n"
                        "1 fichier protégé (sauvegarde ou dossier de jeu) laissé en place\n"))
      << apercu->Texte(false).toStdString();

  InclureSauvegardes(true);
  QTest::mouseClick(fenetre->BoutonApercu(), Qt::LeftButton);
  apercu = fenetre->DernierApercu();
  ASSERT_NE(apercu, nullptr);
  ASSERT_NE(apercu->Liste(), nullptr);
  const QStringList lignes = apercu->Texte(false).split('\n');
  ASSERT_GE(lignes.size(), 5);
  EXPECT_EQ(lignes[0], QStringLiteral("Fichiers dans des dossiers de sauvegardes ou de jeux (1)"));
  EXPECT_EQ(lignes[1], QStringLiteral("C:\\users\\moi\\AppData\\Roaming\\Jeu\\partie.tmp\t10 o"));
  EXPECT_EQ(lignes[2], QStringLiteral("Autres fichiers (1)"));
  EXPECT_EQ(lignes[3], QStringLiteral("C:\\windows\\temp\\trace.txt\t1 o"));
  EXPECT_EQ(apercu->Resume()->text(), QStringLiteral("2 fichiers pour un total de\n1 kO"));
  EXPECT_TRUE(fs::exists(sauve));
  EXPECT_TRUE(fs::exists(trace));
  EXPECT_FALSE(fs::exists(p / "drive_c/Program Files/Tidora 2000/Tidora2000.hlp"));
  std::ifstream f(p / "user.reg");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), {}), ruche);
}

// A prefix without a hive cannot be previewed (said in the error box, nothing created there); a
// prefix without options of its own is previewed with the common choices, nothing written there.
TEST_F(ChoixTest, PreviewOfAPrefixWithoutOptionsTakesTheCommonChoicesOneWithoutAHiveNone) {
  const fs::path sansRuche = PrefixeSteam("1001", "Jeu");
  fs::remove(sansRuche / "user.reg");
  const fs::path wine = PrefixeWine();
  Ecrire(wine / "drive_c/windows/temp/trace.txt", "x");
  Ecrire(wine / "drive_c/Projets/brouillon.bak", "b");
  Ouvrir();
  // No hive: nothing to show, and nothing created there.
  fenetre->Choisir(Ligne(sansRuche));
  // MontrerApercu throws; the button shows the failure in the error box.
  EXPECT_ANY_THROW(fenetre->MontrerApercu());
  QTest::mouseClick(fenetre->BoutonApercu(), Qt::LeftButton);
  ASSERT_EQ(erreurs.size(), 1);
  EXPECT_TRUE(erreurs[0].contains(QString::fromStdString(sansRuche.string())));
  EXPECT_EQ(fenetre->DernierApercu(), nullptr);
  EXPECT_FALSE(fs::exists(sansRuche / "user.reg"));

  fenetre->Choisir(Ligne(wine));
  fenetre->MontrerApercu();
  FenetreApercu* apercu = fenetre->DernierApercu();
  ASSERT_NE(apercu, nullptr);
  ASSERT_NE(apercu->Liste(), nullptr);
  // The safe default: the temporary folder, never *.bak.
  EXPECT_EQ(apercu->Texte(false), QStringLiteral("Fichiers (1)\nC:\\windows\\temp\\trace.txt\t1 o\n"
                                                 "1 fichiers pour un total de\n1 kO\n"));
  EXPECT_FALSE(fs::exists(wine / "drive_c/Program Files"));
}

// The list from any preview: headings only with their rows, values and folders after the files,
// a file the run could not delete marked, the run's failure after its summary; copied as text.
TEST(FenetreApercuTest, ShowsEveryGroupInOrderAndCopiesIt) {
  Apercu a;
  a.fichiers = {{"C:\\Program Files\\Jeu\\j.log", 40, Emplacement::Jeux, true, "*.log", ""},
                {"C:\\windows\\temp\\a.tmp", 2500, Emplacement::Ailleurs, false, "Temp", ""}};
  a.nbSensibles = 1;
  a.valeurs = {{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"}};
  a.dossiers = {"C:\\windows\\temp\\vide"};
  a.resume = "2 fichiers pour un total de\r3 kO";
  a.erreur = "Registre illisible";
  FenetreApercu fenetre(a, QStringLiteral("Jeu"), QString());
  fenetre.show();
  EXPECT_EQ(fenetre.windowTitle(), QString::fromUtf8("Aperçu du nettoyage de « Jeu »"));
  EXPECT_EQ(fenetre.Texte(false),
            QString::fromUtf8("Fichiers dans des dossiers de sauvegardes ou de jeux (1)\n"
                              "C:\\Program Files\\Jeu\\j.log\t40 o\n"
                              "Autres fichiers (1)\n"
                              "C:\\windows\\temp\\a.tmp\t2,5 ko\tne pourrait pas être supprimé\n"
                              "Valeurs du registre (1)\n"
                              "« url1 » dans HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
                              "Explorer\\TypedURLs\n"
                              "Dossiers vides (1)\n"
                              "C:\\windows\\temp\\vide\n"
                              "2 fichiers pour un total de\n3 kO\n"
                              "Puis il signalerait : Registre illisible\n"));

  // The copy key copies the selected rows only.
  QTreeWidget* liste = fenetre.Liste();
  liste->clearSelection();
  liste->topLevelItem(1)->child(0)->setSelected(true);
  QTest::keySequence(liste, QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QString::fromUtf8("C:\\windows\\temp\\a.tmp\t2,5 ko\tne pourrait pas être supprimé\n"));
  // Copier la liste: all of it.
  for (QPushButton* b : fenetre.findChildren<QPushButton*>()) {
    if (b->text() == QStringLiteral("&Copier la liste")) b->click();
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), fenetre.Texte(false));
}

TEST(FenetreApercuTest, NothingToDeleteIsSaid) {
  Apercu a;
  a.resume = "0 fichiers pour un total de\r0 kO";
  FenetreApercu fenetre(a, QStringLiteral("Jeu"), QStringLiteral("occupé par wine (processus 7)"));
  EXPECT_EQ(fenetre.Texte(false), QString::fromUtf8("Un nettoyage n'effacerait rien.\n"
                                                    "0 fichiers pour un total de\n0 kO\n"));
  bool dit = false;
  for (const QLabel* l : fenetre.findChildren<QLabel*>()) {
    dit = dit || l->text().contains(QStringLiteral(
                     "occupé par wine (processus 7) : un nettoyage y serait refusé"));
  }
  EXPECT_TRUE(dit);
}

}  // namespace
