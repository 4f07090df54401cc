#pragma once
// The chooser over a fake home of a temporary folder (tests/prefixes/FauxFoyer.h): its prefixes
// laid out as the launchers leave them, the user's choices kept there too, every error box
// recorded. The environment's own configuration folder is pointed elsewhere, at choices the
// window must never read: it reads them through the Maison it is given.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "kits/qt/FenetreChoix.h"
#include "kits/qt/Messages.h"
#include "kits/qt/ModelePrefixes.h"
#include "prefixes/Choix.h"
#include "tests/prefixes/FauxFoyer.h"
#include "tests/support/Enfant.h"

// Texts as gtest prints them in a failure.
inline void PrintTo(const QString& texte, std::ostream* flux) {
  *flux << '"' << texte.toStdString() << '"';
}

// A game holding a file of a prefix open: a program working in it.
class Occupant : public Enfant {
 public:
  explicit Occupant(const std::filesystem::path& prefixe)
      : Enfant("jeu",
               [prefixe] { return ::open((prefixe / "system.reg").c_str(), O_RDONLY) >= 0; }) {}
};

class FoyerChoix : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    if (const char* c = std::getenv("XDG_CONFIG_HOME")) config_ = c;
    // Choices that take saves, where the window must not look.
    Maison ailleurs = maison_;
    ailleurs.config = racine_ / "ailleurs";
    ChoixCommuns tout = ChoixParDefaut();
    tout.sauvegardes = true;
    tout.masques = "*.sav";
    EnregistrerChoix(ailleurs, tout);
    ::setenv("XDG_CONFIG_HOME", ailleurs.config.c_str(), 1);
    InterceptionMessages = [this](TypeMessage type, const QString& texte) {
      if (type == TypeMessage::Erreur) erreurs << texte;
    };
  }
  void TearDown() override {
    fenetre.reset();
    InterceptionMessages = nullptr;
    if (config_) {
      ::setenv("XDG_CONFIG_HOME", config_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    FauxFoyer::TearDown();
  }

  // A Steam game's prefix in the default library, named by its manifest.
  std::filesystem::path PrefixeSteam(const std::string& appid, const std::string& nom) {
    const std::filesystem::path apps = Home() / ".local/share/Steam/steamapps";
    Ecrire(apps / ("appmanifest_" + appid + ".acf"), "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid +
                                                         "\"\n\t\"name\"\t\t\"" + nom +
                                                         "\"\n\t\"installdir\"\t\t\"jeu\"\n}\n");
    return FairePrefixe(apps / "compatdata" / appid / "pfx");
  }
  std::filesystem::path PrefixeWine() { return FairePrefixe(Home() / ".wine"); }
  // Validated options of the prefix's own: the temporary folder and "*.tmp" everywhere, and the
  // free mask "*.bak".
  static void Options(const std::filesystem::path& prefixe) {
    Ecrire(prefixe / "drive_c/Program Files/Tidora 2000/options.ini",
           "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\nxt1=*.tmp\r\nxt11=*.bak\r\n");
  }

  // The window on the fake home, shown; with `connus`, once every « À libérer » is known.
  void Ouvrir(bool connus = true) {
    fenetre = std::make_unique<FenetreChoix>(maison_);
    fenetre->show();
    if (connus) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return Modele().TousConnus(); }, 20000));
    }
  }
  ModelePrefixes& Modele() const { return *fenetre->Modele(); }
  // The model's row of the prefix `dossier`.
  int Ligne(const std::filesystem::path& dossier) const {
    const std::optional<int> ligne = Modele().Ligne(dossier);
    if (!ligne) ADD_FAILURE() << "pas dans la liste : " << dossier;
    return ligne.value_or(0);
  }
  QString Cellule(int ligne, int colonne, int role = Qt::DisplayRole) const {
    return Modele().data(Modele().index(ligne, colonne), role).toString();
  }
  // The table's column `colonne`, top to bottom, as shown.
  QStringList Colonne(int colonne) const {
    QStringList textes;
    const QAbstractItemModel* vue = fenetre->Table()->model();
    for (int i = 0; i < vue->rowCount(); ++i) textes << vue->index(i, colonne).data().toString();
    return textes;
  }

  std::unique_ptr<FenetreChoix> fenetre;
  QStringList erreurs;
  std::optional<std::string> config_;
};
