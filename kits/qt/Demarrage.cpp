#include "kits/qt/Demarrage.h"

#include <QCoreApplication>
#include <QFile>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "kits/qt/Garde.h"
#include "options/FichierOptions.h"

namespace {

// The help text the program carries, put beside the drive's executable when none is there.
void InstallerAide(const os::Drive& lecteur) {
  Garde([&] {
    QFile aide(QStringLiteral(":/skins/Tidora2000.hlp"));
    if (aide.open(QIODevice::ReadOnly)) InstallerFichierAide(lecteur, aide.readAll().toStdString());
  });
}

}  // namespace

std::unique_ptr<Fenetres> OuvrirFenetres(Ouverture ouverture) {
  os::Drive& lecteur = ouverture.lecteur.value();
  Garde([&] { PreparerProfil(lecteur); });
  // A prefix the program did not make gets the help file with its options: at the first
  // VALIDER, or now when they were validated there before.
  const bool valide = !ouverture.etranger || OptionsEnregistrees(lecteur);
  if (valide) InstallerAide(lecteur);
  auto fenetres = std::make_unique<Fenetres>(std::move(lecteur));
  if (!valide) {
    fenetres->formOptions.ApresValidation = [f = fenetres.get()] { InstallerAide(f->lecteur); };
  }
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
