#include "kits/qt/Demarrage.h"

#include <QCoreApplication>
#include <QFile>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "kits/qt/Garde.h"

std::unique_ptr<Fenetres> OuvrirFenetres(Ouverture ouverture) {
  os::Drive& lecteur = ouverture.lecteur.value();
  Garde([&] { PreparerProfil(lecteur); });
  Garde([&] {
    QFile aide(QStringLiteral(":/skins/Tidora2000.hlp"));
    if (aide.open(QIODevice::ReadOnly)) InstallerFichierAide(lecteur, aide.readAll().toStdString());
  });
  auto fenetres = std::make_unique<Fenetres>(std::move(lecteur));
  fenetres->Nommer(ouverture.nom);
  TMenage& menage = fenetres->form1.Menage;
  menage.ProtegerSauvegardes = ouverture.proteger;
  menage.DossiersJeux = std::move(ouverture.jeux);
  menage.DossiersSauvegardes = std::move(ouverture.sauvegardes);
  menage.CheminsGardes = std::move(ouverture.gardes);
  QObject::connect(&fenetres->principale, &FenetreHabillee::Fermee, QCoreApplication::instance(),
                   &QCoreApplication::quit);
  fenetres->principale.show();
  return fenetres;
}
