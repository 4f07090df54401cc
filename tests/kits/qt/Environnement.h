#pragma once
// The program's two windows over a drive of the test's own, created in start-up order, with
// every message box recorded instead of shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cleaning/PlanMenage.h"
#include "forms/Aide.h"
#include "kits/qt/Fenetres.h"
#include "kits/qt/ZoneSouris.h"
#include "kits/qt/Messages.h"
#include "platform/FileSystem.h"
#include "tests/kits/qt/Prefixe.h"

struct Boite {
  TypeMessage type;
  QString texte;
};

class FenetresTest : public AvecLecteur {
 protected:
  void SetUp() override {
    HelpFile.clear();
    InterceptionMessages = [this](TypeMessage type, const QString& texte) {
      boites.push_back({type, texte});
      if (surBoite) surBoite();
    };
    Demarrer();
  }

  void TearDown() override {
    Arreter();
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    InterceptionMessages = nullptr;
    HelpFile.clear();
  }

  // Start-up order: the main window (empties the plan), then the options window (loads the file).
  // The windows get a drive of their own on the test's prefix, as the program opens its own.
  void Demarrer() {
    Prendre(std::make_unique<Fenetres>(os::Drive::own(temporaire.Dossier())));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  }
  void Prendre(std::unique_ptr<Fenetres> nouvelles) {
    fenetres = std::move(nouvelles);
    form = &fenetres->principale;
    options = &fenetres->options;
  }
  void Arreter() {
    form = options = nullptr;
    fenetres.reset();
  }

  // Components of the two windows.
  QLabel* Label(const char* nom) const { return form->Composant<QLabel>(nom); }
  QCheckBox* Case(int numero) const {
    return options->Composant<QCheckBox>(("CheckBox" + std::to_string(numero)).c_str());
  }
  QLineEdit* EditEffacer() const { return options->Composant<QLineEdit>("EditEffacer"); }

  // A press and a release of `bouton` at `point` of the window, routed by the toolkit to the
  // topmost component there.
  static void Cliquer(QWidget* fenetre, QPoint point, Qt::MouseButton bouton = Qt::LeftButton) {
    QTest::mousePress(fenetre->windowHandle(), bouton, {}, point);
    QTest::mouseRelease(fenetre->windowHandle(), bouton, {}, point);
  }
  // The same, delivered later by the event queue (so that a draining run receives it).
  void CliquerPlusTard(QPoint point, Qt::MouseButton bouton = Qt::LeftButton) {
    QWidget* fenetre = form;
    QMetaObject::invokeMethod(
        fenetre, [fenetre, point, bouton] { Cliquer(fenetre, point, bouton); },
        Qt::QueuedConnection);
  }

  // Checks the given boxes (1 to 17) of the options window, types the free masks and validates
  // through the window's own zone.
  void Valider(std::initializer_list<int> cases, const QString& masques = {}) {
    options->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    for (int n = 1; n <= 17; ++n) Case(n)->setChecked(false);
    for (int n : cases) Case(n)->setChecked(true);
    EditEffacer()->setText(masques);
    Cliquer(options, QPoint(14 + 36, 296 + 20));
  }

  // A file of `taille` bytes at a Windows path of the drive, its folders made.
  void Creer(const std::string& chemin, std::size_t taille = 10) const {
    temporaire.Creer(chemin, std::string(taille, 'x'));
  }
  bool Existe(const std::string& chemin) const {
    return os::fileAttributes(lecteur, chemin).has_value();
  }

  std::unique_ptr<Fenetres> fenetres;
  FenetreHabillee* form = nullptr;
  FenetreHabillee* options = nullptr;
  std::vector<Boite> boites;
  std::function<void()> surBoite;
};

// Centres of the main window's zones.
inline const QPoint kLancer(56 + 43, 86 + 24);
inline const QPoint kOptions(152 + 43, 86 + 24);
inline const QPoint kStopper(249 + 30, 86 + 24);
inline const QPoint kQuitter(314, 55);  // in the close mark, clear of the help zone
inline const QPoint kFond(60, 200);     // skin only
