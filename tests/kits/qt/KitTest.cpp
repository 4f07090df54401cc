// The Qt kit's failure boundary and message boxes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <stdexcept>
#include <vector>

#include "kits/qt/Garde.h"
#include "kits/qt/LabelFixe.h"
#include "kits/qt/Messages.h"
#include "kits/qt/ZoneSouris.h"

namespace {

class BoitesTest : public testing::Test {
 protected:
  void SetUp() override {
    InterceptionMessages = [this](TypeMessage type, const QString& texte) {
      boites.emplace_back(type, texte);
    };
  }
  void TearDown() override { InterceptionMessages = nullptr; }
  std::vector<std::pair<TypeMessage, QString>> boites;
};

TEST_F(BoitesTest, GardeShowsAnyEscapingFailureAndCarriesOn) {
  Garde([] { throw std::runtime_error("Disque plein"); });
  Garde([] { throw 42; });
  bool ensuite = false;
  Garde([&] { ensuite = true; });
  EXPECT_TRUE(ensuite);
  ASSERT_EQ(boites.size(), 2u);
  EXPECT_EQ(boites[0].first, TypeMessage::Erreur);
  EXPECT_EQ(boites[0].second, "Disque plein.");
  EXPECT_EQ(boites[1].first, TypeMessage::Erreur);
  EXPECT_FALSE(boites[1].second.isEmpty());
}

TEST_F(BoitesTest, CarriageReturnsBecomeLineBreaks) {
  AfficherMessage(QStringLiteral("3 fichiers pour un total de\r1 kO"));
  AfficherErreur(QString::fromUtf8("première\rseconde"));
  ASSERT_EQ(boites.size(), 2u);
  EXPECT_EQ(boites[0].second, "3 fichiers pour un total de\n1 kO");
  EXPECT_EQ(boites[1].second, QString::fromUtf8("première\nseconde."));
}

TEST_F(BoitesTest, ZoneRunsItsHandlerInsideTheBoundary) {
  QWidget parent;
  parent.resize(100, 100);
  auto* zone = new ZoneSouris(QStringLiteral("Zone"), QRect(10, 10, 20, 20), QString(), &parent);
  int appels = 0;
  zone->OnMouseDown = [&](Qt::MouseButton) {
    ++appels;
    throw std::runtime_error("Refusé");
  };
  QMouseEvent pression(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(15, 15), QPointF(15, 15),
                       Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QCoreApplication::sendEvent(zone, &pression);
  EXPECT_EQ(appels, 1);
  EXPECT_TRUE(pression.isAccepted());
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].second, QString::fromUtf8("Refusé."));
}

}  // namespace
