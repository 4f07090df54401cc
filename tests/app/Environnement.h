#pragma once
// The program's two windows over a throw-away prefix, created in start-up order, with every
// message box recorded instead of shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "app/skin/Aide.h"
#include "app/skin/Messages.h"
#include "cleaning/PlanMenage.h"
#include "options/Unit2.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/SystemError.h"

struct Boite {
  TypeMessage type;
  QString texte;
};

class FenetresTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prefixe_.isValid());
    os::setPrefixFolder(prefixe_.path().toStdString());
    os::ensureProfile();
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
  void Demarrer() {
    form = std::make_unique<TForm1>();
    Form1 = form.get();
    options = std::make_unique<TFormOptions>();
    FormOptions = options.get();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void Arreter() {
    options.reset();
    form.reset();
  }

  // A press and a release of `bouton` at `point` of the window, routed by the toolkit to the
  // topmost component there.
  static void Cliquer(QWidget* fenetre, QPoint point, Qt::MouseButton bouton = Qt::LeftButton) {
    QTest::mousePress(fenetre->windowHandle(), bouton, {}, point);
    QTest::mouseRelease(fenetre->windowHandle(), bouton, {}, point);
  }
  // The same, delivered later by the event queue (so that a draining run receives it).
  void CliquerPlusTard(QPoint point, Qt::MouseButton bouton = Qt::LeftButton) {
    QWidget* fenetre = form.get();
    QMetaObject::invokeMethod(
        fenetre, [fenetre, point, bouton] { Cliquer(fenetre, point, bouton); },
        Qt::QueuedConnection);
  }

  // Checks the given boxes (1 to 17) of the options window, types the free masks and validates
  // through the window's own zone.
  void Valider(std::initializer_list<int> cases, const QString& masques = {}) {
    options->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options.get()));
    for (QCheckBox* c : options->CasesACocher()) c->setChecked(false);
    for (int n : cases) options->CasesACocher()[static_cast<std::size_t>(n - 1)]->setChecked(true);
    options->EditEffacer->setText(masques);
    Cliquer(options.get(), QPoint(14 + 36, 296 + 20));
  }

  // Windows paths inside the prefix.
  static void Creer(const std::string& chemin, std::size_t taille = 10) {
    const std::size_t fin = chemin.rfind('\\');
    for (std::size_t pos = chemin.find('\\', 3); pos != std::string::npos && pos <= fin;
         pos = chemin.find('\\', pos + 1)) {
      try {
        os::createDirectory(chemin.substr(0, pos));
      } catch (const os::SystemError&) {
      }
    }
    os::File fichier = os::File::create(chemin);
    fichier.write(std::string(taille, 'x'));
    fichier.close();
  }
  static bool Existe(const std::string& chemin) { return os::fileAttributes(chemin).has_value(); }

  std::unique_ptr<TForm1> form;
  std::unique_ptr<TFormOptions> options;
  std::vector<Boite> boites;
  std::function<void()> surBoite;

 private:
  QTemporaryDir prefixe_;
};

// Centres of the main window's zones.
inline const QPoint kLancer(56 + 43, 86 + 24);
inline const QPoint kOptions(152 + 43, 86 + 24);
inline const QPoint kStopper(249 + 30, 86 + 24);
inline const QPoint kQuitter(314, 55);  // in the close mark, clear of the help zone
inline const QPoint kFond(60, 200);     // skin only
