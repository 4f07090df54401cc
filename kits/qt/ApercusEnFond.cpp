#include "kits/qt/ApercusEnFond.h"

ApercusEnFond::ApercusEnFond(std::vector<Prefixe> prefixes, ChoixCommuns choix, bool resumes,
                             QObject* parent)
    : QObject(parent),
      prefixes_(std::move(prefixes)),
      choix_(std::move(choix)),
      resumes_(resumes) {}

void ApercusEnFond::Lancer() {
  if (fil_.joinable()) return;
  fil_ = std::thread([this, prefixes = std::move(prefixes_), choix = choix_, resumes = resumes_] {
    ApercevoirTous(
        prefixes, choix,
        [this, resumes](std::size_t i, const ApercuDuPrefixe& a) {
          auto copie = std::make_shared<ApercuDuPrefixe>();
          copie->prefixe = a.prefixe;
          copie->choixPropres = a.choixPropres;
          copie->erreur = a.erreur;
          if (a.apercu && resumes) {
            // The counters and the protected and kept files (few) only.
            Apercu& r = copie->apercu.emplace();
            const Apercu& complet = *a.apercu;
            r.optionsValidees = complet.optionsValidees;
            r.proteges = complet.proteges;
            r.gardes = complet.gardes;
            r.tailleGardee = complet.tailleGardee;
            r.resume = complet.resume;
            r.nbFichiers = complet.nbFichiers;
            r.tailleTotale = complet.tailleTotale;
            r.nbEchecs = complet.nbEchecs;
            r.tailleProtegee = complet.tailleProtegee;
            r.interruption = complet.interruption;
            r.erreur = complet.erreur;
          } else {
            copie->apercu = a.apercu;
          }
          emit Pret(static_cast<int>(i), std::move(copie));
        },
        &arret_);
    emit Fini();
  });
}

ApercusEnFond::~ApercusEnFond() {
  arret_ = true;
  if (fil_.joinable()) fil_.join();
}
