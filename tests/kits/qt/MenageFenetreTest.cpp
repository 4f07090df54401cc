// Cleaning runs started from the main window, and what the user can do while one drains the
// event queue: stop, start again, quit, close.
#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>

#include <cstdint>

#include "tests/kits/qt/Environnement.h"

namespace {

constexpr int kNbFichiers = 300;

class MenageFenetreTest : public FenetresTest {
 protected:
  // kNbFichiers "*.tmp" files of 2000 bytes, and one document that stays.
  void Remplir(int nombre = kNbFichiers) {
    for (int i = 0; i < nombre; ++i) Creer("C:\\Donnees\\f" + std::to_string(i) + ".tmp", 2000);
    Creer("C:\\Donnees\\garder.doc");
  }
  int Restants(int nombre = kNbFichiers) const {
    int n = 0;
    for (int i = 0; i < nombre; ++i) n += Existe("C:\\Donnees\\f" + std::to_string(i) + ".tmp");
    return n;
  }
  // Presses the start zone; the button comes up when the run is over, unless the user let go
  // of it during the run (RelacherLancer).
  void Lancer(Qt::MouseButton bouton = Qt::LeftButton) {
    boutonLancer_ = bouton;
    relache_ = false;
    QTest::mousePress(form->windowHandle(), bouton, {}, kLancer);
    RelacherLancer();
  }
  void RelacherLancer() {
    if (relache_) return;
    relache_ = true;
    QTest::mouseRelease(form->windowHandle(), boutonLancer_, {}, kLancer);
  }
  // Runs `action` once, from inside the run's `quand`-th drain of the event queue, after the
  // start zone's button has come up (as it does before the user presses anything else).
  void PendantLeMenage(int quand, std::function<void()> action) {
    auto vider = Form1->ScruteDossier1.TraiterMessages;
    Form1->ScruteDossier1.TraiterMessages = [this, vider, quand, action, n = 0]() mutable {
      if (++n == quand) {
        QMetaObject::invokeMethod(
            form,
            [this, action] {
              RelacherLancer();
              action();
            },
            Qt::QueuedConnection);
        ++actions;
      }
      vider();
    };
  }
  int actions = 0;

 private:
  Qt::MouseButton boutonLancer_ = Qt::LeftButton;
  bool relache_ = true;
};

TEST_F(MenageFenetreTest, ValidatedRunDeletesCountsAndSummarises) {
  Remplir(12);
  Valider({9});
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  EXPECT_FALSE(options->isVisible());

  QString nbAuResume;
  surBoite = [this, &nbAuResume] { nbAuResume = Label("LabelNbFichiers")->text(); };
  Lancer(Qt::RightButton);
  EXPECT_EQ(Restants(12), 0);
  EXPECT_TRUE(Existe("C:\\Donnees\\garder.doc"));
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].type, TypeMessage::Information);
  EXPECT_EQ(boites[0].texte, "12 fichiers pour un total de\n24 kO");
  // The labels hold the final figures before the summary appears.
  EXPECT_EQ(nbAuResume, "12");
  EXPECT_EQ(Label("LabelTaille")->text(), "24 kO");
  EXPECT_EQ(Label("LabelEnCours")->text(), "FIN");
}

TEST_F(MenageFenetreTest, EmptyValidatedPlanStillEndsWithASummary) {
  Valider({});
  Cliquer(form, kLancer);
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].texte, "0 fichiers pour un total de\n0 kO");
  EXPECT_EQ(Label("LabelEnCours")->text(), "FIN");
}

TEST_F(MenageFenetreTest, StopPressedDuringARunEndsItEarly) {
  Remplir();
  Valider({9});
  PendantLeMenage(40, [this] { Cliquer(form, kStopper, Qt::MiddleButton); });
  Lancer();
  ASSERT_EQ(actions, 1);
  const int supprimes = kNbFichiers - Restants();
  EXPECT_GT(supprimes, 0);
  EXPECT_LT(supprimes, 60);
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_TRUE(boites[0].texte.startsWith(QString::number(supprimes) + " fichiers"));
  EXPECT_EQ(Label("LabelNbFichiers")->text(), QString::number(supprimes));
  EXPECT_EQ(Label("LabelEnCours")->text(), "FIN");
  // The next start runs the whole plan again.
  Cliquer(form, kLancer);
  EXPECT_EQ(Restants(), 0);
  EXPECT_EQ(boites.size(), 2u);
}

TEST_F(MenageFenetreTest, StartPressedDuringARunDoesNotStartASecondOne) {
  Remplir();
  Valider({9});
  PendantLeMenage(40, [this] { Cliquer(form, kLancer); });
  Lancer();
  ASSERT_EQ(actions, 1);
  EXPECT_EQ(Restants(), 0);
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].texte.left(boites[0].texte.indexOf(QChar(u' '))),
            QString::number(kNbFichiers));
}

TEST_F(MenageFenetreTest, OptionsZoneWorksDuringARun) {
  Remplir(50);
  Valider({9});
  PendantLeMenage(10, [this] { Cliquer(form, kOptions); });
  Lancer();
  EXPECT_TRUE(options->isVisible());
  EXPECT_EQ(Restants(50), 0);
}

TEST_F(MenageFenetreTest, QuitDuringARunStopsItAndClosesOnceItHasUnwound) {
  Remplir();
  Valider({9});
  QSignalSpy fermee(form, &FenetreHabillee::Fermee);
  bool ouverteAuQuitter = false;
  PendantLeMenage(40, [this, &ouverteAuQuitter] {
    Cliquer(form, kQuitter, Qt::RightButton);
    // The run still holds the window: it stays until the run is over.
    ouverteAuQuitter = form->isVisible() && Form1->Menage.EnCours();
  });
  Lancer();
  ASSERT_EQ(actions, 1);
  EXPECT_TRUE(ouverteAuQuitter);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(fermee.count(), 1);
  EXPECT_FALSE(Form1->Menage.EnCours());
  EXPECT_GT(Restants(), kNbFichiers - 60);
  EXPECT_TRUE(boites.empty());  // no summary on the way out
}

TEST_F(MenageFenetreTest, WindowCloseDuringARunIsDeferredUntilTheRunEnds) {
  Remplir();
  Valider({9});
  QSignalSpy fermee(form, &FenetreHabillee::Fermee);
  int fermeeDansLeMenage = -1;
  PendantLeMenage(40, [this, &fermee, &fermeeDansLeMenage] {
    form->close();
    fermeeDansLeMenage = static_cast<int>(fermee.count());
  });
  Lancer();
  EXPECT_EQ(fermeeDansLeMenage, 0);
  EXPECT_EQ(fermee.count(), 1);
  EXPECT_FALSE(form->isVisible());
  EXPECT_GT(Restants(), 0);
}

TEST_F(MenageFenetreTest, CountLabelsAreRepaintedAtMostEveryThirtyMilliseconds) {
  constexpr int kBeaucoup = 1500;
  Remplir(kBeaucoup);
  Valider({9});
  // What the labels hold each time the queue is drained.
  QSet<QString> vus;
  auto vider = Form1->ScruteDossier1.TraiterMessages;
  Form1->ScruteDossier1.TraiterMessages = [&] {
    vus.insert(Label("LabelNbFichiers")->text());
    vider();
  };
  QElapsedTimer duree;
  duree.start();
  Cliquer(form, kLancer);
  const qint64 ms = duree.elapsed();
  EXPECT_EQ(Restants(kBeaucoup), 0);
  EXPECT_LE(vus.size(), ms / 30 + 3) << ms << " ms";
  EXPECT_EQ(Label("LabelNbFichiers")->text(), QString::number(kBeaucoup));
  EXPECT_EQ(Label("LabelTaille")->text(), QString::number((kBeaucoup * 2000 + 1023) / 1024) + " kO");
}

// What the X server sends the program when a tool destroys its window: DestroyNotify, reported
// on the window itself.
void DetruireDuDehors(QWidget& fenetre) {
  struct {
    std::uint8_t type = 17, rien = 0;
    std::uint16_t sequence = 0;
    std::uint32_t source, fenetre;
  } evenement;
  evenement.source = evenement.fenetre = static_cast<std::uint32_t>(fenetre.winId());
  qintptr resultat = 0;
  QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &evenement,
                                                          &resultat);
}

TEST_F(MenageFenetreTest, WindowDestroyedFromOutsideEndsTheProgramOnceTheRunIsStopped) {
  QSignalSpy fermee(form, &FenetreHabillee::Fermee);
  // Not the main window: nothing ends, and the options window comes back when asked for.
  Cliquer(form, kOptions);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  DetruireDuDehors(*options);
  QCoreApplication::processEvents();
  EXPECT_FALSE(options->isVisible());
  EXPECT_EQ(fermee.count(), 0);
  Cliquer(form, kOptions);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(options));

  Remplir();
  Valider({9});
  int fermeeDansLeMenage = -1;
  PendantLeMenage(40, [this, &fermee, &fermeeDansLeMenage] {
    DetruireDuDehors(*form);
    fermeeDansLeMenage = static_cast<int>(fermee.count());
  });
  Lancer();
  ASSERT_EQ(actions, 1);
  EXPECT_EQ(fermeeDansLeMenage, 0);
  EXPECT_EQ(fermee.count(), 1);
  EXPECT_FALSE(Form1->Menage.EnCours());
  EXPECT_GT(Restants(), kNbFichiers - 60);
  EXPECT_TRUE(boites.empty());
}

TEST_F(MenageFenetreTest, WindowDestroyedFromOutsideEndsTheApplicationsLoop) {
  // As the program runs it: the main window's closing quits the application. Qt's quit asks
  // every window it holds as shown to close: the destroyed one must not be among them.
  QObject::connect(form, &FenetreHabillee::Fermee, qApp, &QCoreApplication::quit);
  options->show();
  QTimer::singleShot(0, form, [this] { DetruireDuDehors(*form); });
  QTimer bloque;
  bloque.setSingleShot(true);
  QObject::connect(&bloque, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  bloque.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
