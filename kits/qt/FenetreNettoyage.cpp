#include "kits/qt/FenetreNettoyage.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>
#include <cstdlib>
#include <map>

#include "kits/qt/ModelePrefixes.h"

namespace {

using Horloge = std::chrono::steady_clock;

// How often a run's drain lets the event queue through: often enough that no event waits
// noticeably, seldom enough to cost the run nothing.
constexpr auto kIntervalle = std::chrono::milliseconds(8);

// What a row of the list is, and what it holds.
// kIndice: a file's rank in its preview's list; kGarde: it is kept for good since.
enum Role { kGenre = Qt::UserRole, kPrefixe, kChemin, kTaille, kIndice, kGarde };
enum Genre { kLignePrefixe, kGroupe, kFichier, kInfo };

QString Utf8(const std::string& texte) {
  return QString::fromStdString(texte);
}

QTreeWidgetItem* Element(QTreeWidgetItem* parent, const QStringList& textes, Genre genre,
                         std::size_t prefixe) {
  auto* e = new QTreeWidgetItem(parent, textes);
  e->setData(0, kGenre, genre);
  e->setData(0, kPrefixe, static_cast<qulonglong>(prefixe));
  e->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  // A box only where one is put.
  e->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return e;
}

// A heading that is only shown (no box), in bold.
QTreeWidgetItem* Info(QTreeWidgetItem* parent, const QString& titre, std::size_t nombre,
                      std::size_t prefixe) {
  QTreeWidgetItem* e =
      Element(parent, {QStringLiteral("%1 (%2)").arg(titre).arg(nombre)}, kInfo, prefixe);
  QFont gras = e->font(0);
  gras.setBold(true);
  e->setFont(0, gras);
  return e;
}

// Where a file lies, when it is a save location or a game folder.
QString Lieu(const FichierApercu& f) {
  switch (f.emplacement) {
    case Emplacement::Sauvegardes:
      return QStringLiteral("dans des sauvegardes");
    case Emplacement::Jeux:
      return QStringLiteral("dans un dossier de jeu");
    case Emplacement::Ailleurs:
      break;
  }
  return {};
}

// A progress bar for `attendus` files (none: "rien", not the bar of a length unknown).
void Attendre(QProgressBar* barre, int attendus) {
  barre->setRange(0, std::max(attendus, 1));
  barre->setFormat(attendus > 0 ? QStringLiteral("%v / %m") : QStringLiteral("rien"));
  barre->setValue(0);
}

// The window of one run: the file count for the progress bar, the summary kept.
struct Suivi : IFenetreMenage {
  void AfficherEnCours(const std::string&) override {}
  void AfficherNbFichiers(const std::string& texte) override {
    nbFichiers = std::strtoull(texte.c_str(), nullptr, 10);
  }
  void AfficherTaille(const std::string&) override {}
  void MontrerOptions() override {}
  void Message(const std::string& texte) override { resume = texte; }
  std::uint64_t nbFichiers = 0;
  std::string resume;
};

}  // namespace

FenetreNettoyage::FenetreNettoyage(std::vector<ApercuPartage> apercus, ChoixCommuns choix,
                                   Maison maison, QWidget* parent)
    : DialoguePrefixe(parent), choix_(std::move(choix)), maison_(std::move(maison)) {
  QStringList noms;
  for (const ApercuPartage& a : apercus) noms << Utf8(a->prefixe.nom);
  Intituler(TitrePrefixe(noms.size() <= 3 ? noms.join(QStringLiteral(", "))
                                          : QStringLiteral("%1 préfixes").arg(noms.size())));
  auto* disposition = new QVBoxLayout(this);
  explication_ = new QLabel(
      QStringLiteral("Voici ce qu'un nettoyage effacerait. Décochez ce que vous voulez garder : "
                     "ce qui n'est pas coché reste en place. « Toujours garder » garde pour de bon "
                     "les fichiers choisis (sinon ceux décochés). Les fichiers protégés "
                     "(sauvegardes et dossiers de jeux) ne sont jamais effacés d'ici."),
      this);
  explication_->setWordWrap(true);
  disposition->addWidget(explication_);

  liste_ = new QTreeWidget(this);
  liste_->setColumnCount(3);
  liste_->setHeaderLabels(
      {QStringLiteral("Élément"), QStringLiteral("Taille"), QStringLiteral("Remarque")});
  liste_->setUniformRowHeights(true);
  liste_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  liste_->header()->setStretchLastSection(false);
  liste_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  liste_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  liste_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  disposition->addWidget(liste_, 1);

  // The progress of each prefix, below the list.
  auto* progression = new QWidget(this);
  auto* grille = new QGridLayout(progression);
  grille->setContentsMargins(0, 0, 0, 0);
  grille->setColumnStretch(1, 1);
  grille->setColumnStretch(2, 2);

  for (std::size_t i = 0; i < apercus.size(); ++i) {
    Ligne l;
    l.apercu = std::move(apercus[i]);
    const Prefixe& p = l.apercu->prefixe;
    const QString nom = QStringLiteral("« %1 » (%2)").arg(Utf8(p.nom), LibelleOrigine(p.origine));
    l.element = Element(nullptr, {nom}, kLignePrefixe, i);
    liste_->addTopLevelItem(l.element);
    l.element->setToolTip(0, Utf8(p.chemin.string()));
    QFont gras = l.element->font(0);
    gras.setBold(true);
    l.element->setFont(0, gras);
    l.element->setExpanded(true);
    l.barre = new QProgressBar(progression);
    l.barre->setTextVisible(true);
    l.barre->setValue(0);
    l.etat = new QLabel(progression);
    l.etat->setWordWrap(true);
    const int rang = static_cast<int>(i);
    grille->addWidget(new QLabel(nom, progression), rang, 0);
    grille->addWidget(l.barre, rang, 1);
    grille->addWidget(l.etat, rang, 2);
    if (!l.apercu->apercu) {
      l.element->setFlags(Qt::ItemIsEnabled);
      l.element->setText(2, QStringLiteral("pas d'aperçu : %1").arg(Utf8(l.apercu->erreur)));
      l.etat->setText(QStringLiteral("pas d'aperçu"));
      prefixes_.push_back(std::move(l));
      continue;
    }
    const Apercu& a = *l.apercu->apercu;
    l.element->setText(1, TexteTaille(a.tailleTotale));
    if (p.utilisateur) {
      l.element->setText(2,
                         QStringLiteral("%1 : un nettoyage y serait refusé").arg(LibelleEtat(p)));
    }
    // The files by what takes them, in the order the run meets them.
    std::vector<std::string> raisons;
    std::map<std::string, std::vector<const FichierApercu*>> parRaison;
    for (const FichierApercu& f : a.fichiers) {
      std::vector<const FichierApercu*>& groupe = parRaison[f.raison];
      if (groupe.empty()) raisons.push_back(f.raison);
      groupe.push_back(&f);
    }
    const bool deplies = a.fichiers.size() <= 100;
    for (const std::string& raison : raisons) {
      const std::vector<const FichierApercu*>& fichiers = parRaison[raison];
      std::uint64_t taille = 0;
      for (const FichierApercu* f : fichiers) taille += f->taille;
      QTreeWidgetItem* g = Element(
          l.element,
          {QStringLiteral("%1 (%2)").arg(LibelleRaison(raison), TexteFichiers(fichiers.size())),
           TexteTaille(taille)},
          kGroupe, i);
      g->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                  Qt::ItemIsAutoTristate);
      for (const FichierApercu* f : fichiers) {
        QTreeWidgetItem* e = Element(g, {Utf8(f->chemin), TexteTaille(f->taille)}, kFichier, i);
        e->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        e->setData(0, kChemin, Utf8(f->chemin));
        e->setData(0, kTaille, static_cast<qulonglong>(f->taille));
        e->setData(0, kIndice, static_cast<qulonglong>(f - a.fichiers.data()));
        e->setToolTip(0, Utf8(f->hote.empty() ? f->chemin : f->hote));
        QString remarque = Lieu(*f);
        if (!f->supprime) {
          if (!remarque.isEmpty()) remarque += QStringLiteral(" ; ");
          remarque += QStringLiteral("ne pourrait pas être supprimé");
        }
        e->setText(2, remarque);
        e->setCheckState(0, Qt::Checked);
      }
      g->setExpanded(deplies);
      l.groupes.push_back(g);
    }
    if (!a.valeurs.empty()) {
      QTreeWidgetItem* v =
          Info(l.element, QStringLiteral("Valeurs du registre"), a.valeurs.size(), i);
      for (const ValeurApercu& valeur : a.valeurs) {
        Element(v, {QStringLiteral("« %1 » dans %2").arg(Utf8(valeur.nom), Utf8(valeur.cle))},
                kInfo, i);
      }
    }
    if (!a.dossiers.empty()) {
      QTreeWidgetItem* d = Info(l.element, QStringLiteral("Dossiers vides"), a.dossiers.size(), i);
      for (const std::string& dossier : a.dossiers) Element(d, {Utf8(dossier)}, kInfo, i);
    }
    if (!a.proteges.empty()) {
      QTreeWidgetItem* g = Info(
          l.element, QStringLiteral("Protégés, laissés en place (sauvegardes et dossiers de jeux)"),
          a.proteges.size(), i);
      for (const FichierApercu& f : a.proteges) {
        QTreeWidgetItem* e = Element(g, {Utf8(f.chemin), TexteTaille(f.taille), Lieu(f)}, kInfo, i);
        e->setToolTip(0, Utf8(f.hote.empty() ? f.chemin : f.hote));
        e->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
      }
      g->setExpanded(a.proteges.size() <= 20);
    }
    if (!a.gardes.empty()) {
      QTreeWidgetItem* g =
          Info(l.element, QStringLiteral("Gardés, laissés en place (toujours gardés)"),
               a.gardes.size(), i);
      for (const FichierApercu& f : a.gardes) {
        QTreeWidgetItem* e =
            Element(g, {Utf8(f.chemin), TexteTaille(f.taille), QStringLiteral("gardé")}, kInfo, i);
        e->setToolTip(0, Utf8(f.hote.empty() ? f.chemin : f.hote));
        e->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
      }
      g->setExpanded(a.gardes.size() <= 20);
    }
    const bool rien = a.fichiers.empty() && a.valeurs.empty() && a.dossiers.empty();
    if (rien) {
      l.element->setFlags(Qt::ItemIsEnabled);
      l.element->setText(2, QStringLiteral("un nettoyage n'effacerait rien"));
      l.etat->setText(QStringLiteral("rien à effacer"));
    } else {
      l.element->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      // A prefix in use is left out unless the user checks it: its run would be refused.
      const Qt::CheckState etat = p.utilisateur ? Qt::Unchecked : Qt::Checked;
      for (QTreeWidgetItem* g : l.groupes) g->setCheckState(0, etat);
      l.element->setCheckState(0, etat);
    }
    prefixes_.push_back(std::move(l));
  }
  auto* defile = new QScrollArea(this);
  defile->setWidget(progression);
  defile->setWidgetResizable(true);
  defile->setFrameShape(QFrame::NoFrame);
  defile->setMaximumHeight(
      std::min<int>(6, static_cast<int>(prefixes_.size())) * (fontMetrics().height() + 14) + 8);
  disposition->addWidget(defile);

  total_ = new QLabel(this);
  total_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  disposition->addWidget(total_);

  auto* boutons = new QDialogButtonBox(this);
  nettoyer_ = boutons->addButton(QStringLiteral("&Nettoyer"), QDialogButtonBox::ActionRole);
  stopper_ = boutons->addButton(QStringLiteral("&Stopper"), QDialogButtonBox::ActionRole);
  garder_ = boutons->addButton(QStringLiteral("&Toujours garder"), QDialogButtonBox::ActionRole);
  garder_->setToolTip(
      QStringLiteral("Ne plus jamais effacer les fichiers choisis (sinon ceux "
                     "décochés) de leur préfixe ; « Choix… » les liste."));
  fermer_ = boutons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  for (QPushButton* b : {nettoyer_, stopper_, garder_, fermer_}) b->setAutoDefault(false);
  disposition->addWidget(boutons);
  connect(nettoyer_, &QPushButton::clicked, this, &FenetreNettoyage::Nettoyer);
  connect(stopper_, &QPushButton::clicked, this, &FenetreNettoyage::Stopper);
  connect(garder_, &QPushButton::clicked, this, &FenetreNettoyage::ToujoursGarder);
  connect(boutons, &QDialogButtonBox::rejected, this, &FenetreNettoyage::reject);
  connect(liste_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* e, int colonne) {
    if (colonne == 0) Coche(e);
  });
  Recompter();
  resize(820, 560);
}

FenetreNettoyage::~FenetreNettoyage() = default;

QTreeWidgetItem* FenetreNettoyage::ElementPrefixe(std::size_t i) const {
  return prefixes_.at(i).element;
}

QTreeWidgetItem* FenetreNettoyage::ElementFichier(std::size_t i, const std::string& chemin) const {
  const QString cherche = Utf8(chemin);
  for (QTreeWidgetItem* g : prefixes_.at(i).groupes) {
    for (int k = 0; k < g->childCount(); ++k) {
      if (g->child(k)->data(0, kChemin).toString() == cherche) return g->child(k);
    }
  }
  return nullptr;
}

std::set<FichierRepere> FenetreNettoyage::Laisses(std::size_t i) const {
  std::set<FichierRepere> laisses;
  const Ligne& l = prefixes_.at(i);
  for (QTreeWidgetItem* g : l.groupes) {
    for (int k = 0; k < g->childCount(); ++k) {
      const QTreeWidgetItem* f = g->child(k);
      if (f->checkState(0) == Qt::Checked || f->data(0, kGarde).toBool()) continue;
      laisses.insert(l.apercu->apercu->fichiers.at(f->data(0, kIndice).toULongLong()).Repere());
    }
  }
  return laisses;
}

bool FenetreNettoyage::Choisi(std::size_t i) const {
  const QTreeWidgetItem* e = prefixes_.at(i).element;
  return (e->flags() & Qt::ItemIsUserCheckable) && e->checkState(0) != Qt::Unchecked;
}

QProgressBar* FenetreNettoyage::Barre(std::size_t i) const {
  return prefixes_.at(i).barre;
}

const std::optional<BilanNettoyage>& FenetreNettoyage::Bilan(std::size_t i) const {
  return prefixes_.at(i).bilan;
}

QString FenetreNettoyage::Etat(std::size_t i) const {
  return prefixes_.at(i).etat->text();
}

void FenetreNettoyage::Coche(QTreeWidgetItem* element) {
  if (miseAJour_ || element == nullptr) return;
  miseAJour_ = true;
  Ligne& l = prefixes_.at(element->data(0, kPrefixe).toULongLong());
  const Qt::CheckState voulu = element->checkState(0);
  if (element == l.element && voulu != Qt::PartiallyChecked) {
    for (QTreeWidgetItem* g : l.groupes) g->setCheckState(0, voulu);
  }
  if (!l.groupes.empty()) {
    bool coches = false, decoches = false;
    for (const QTreeWidgetItem* g : l.groupes) {
      const Qt::CheckState s = g->checkState(0);
      coches = coches || s != Qt::Unchecked;
      decoches = decoches || s != Qt::Checked;
    }
    l.element->setCheckState(0, !decoches ? Qt::Checked
                                : !coches ? Qt::Unchecked
                                          : Qt::PartiallyChecked);
  }
  miseAJour_ = false;
  Recompter();
}

void FenetreNettoyage::Recompter() {
  std::uint64_t nb = 0, taille = 0, nbLaisses = 0, tailleLaissee = 0, nbProteges = 0,
                tailleProtegee = 0, nbGardes = 0, tailleGardee = 0;
  std::size_t choisis = 0;
  for (std::size_t i = 0; i < prefixes_.size(); ++i) {
    const Ligne& l = prefixes_[i];
    if (!l.apercu->apercu) continue;
    const bool choisi = Choisi(i);
    choisis += choisi ? 1 : 0;
    int attendus = 0;
    for (const QTreeWidgetItem* g : l.groupes) {
      for (int k = 0; k < g->childCount(); ++k) {
        const QTreeWidgetItem* f = g->child(k);
        const std::uint64_t octets = f->data(0, kTaille).toULongLong();
        if (f->data(0, kGarde).toBool()) {
          ++nbGardes;
          tailleGardee += octets;
        } else if (choisi && f->checkState(0) == Qt::Checked) {
          ++nb;
          ++attendus;
          taille += octets;
        } else {
          ++nbLaisses;
          tailleLaissee += octets;
        }
      }
    }
    nbProteges += l.apercu->apercu->proteges.size();
    tailleProtegee += l.apercu->apercu->tailleProtegee;
    nbGardes += l.apercu->apercu->gardes.size();
    tailleGardee += l.apercu->apercu->tailleGardee;
    if (!l.bilan && !enCours_) Attendre(l.barre, attendus);
  }
  QString texte = QStringLiteral("À effacer : %1, %2").arg(TexteFichiers(nb), TexteTaille(taille));
  if (choisis != 1) texte += QStringLiteral(" dans %1 préfixes").arg(choisis);
  if (nbLaisses > 0) {
    texte += QStringLiteral(" ; laissés : %1, %2")
                 .arg(TexteFichiers(nbLaisses), TexteTaille(tailleLaissee));
  }
  if (nbProteges > 0) {
    texte += QStringLiteral(" ; protégés : %1, %2")
                 .arg(TexteFichiers(nbProteges), TexteTaille(tailleProtegee));
  }
  if (nbGardes > 0) {
    texte += QStringLiteral(" ; gardés : %1, %2")
                 .arg(TexteFichiers(nbGardes), TexteTaille(tailleGardee));
  }
  total_->setText(texte);
  Boutons();
}

void FenetreNettoyage::Boutons() {
  bool choisi = false;
  bool fait = false;
  for (std::size_t i = 0; i < prefixes_.size(); ++i) {
    choisi = choisi || Choisi(i);
    fait = fait || prefixes_[i].bilan.has_value();
  }
  // Once the runs are done, the previews are no longer what the prefixes hold.
  nettoyer_->setEnabled(choisi && !enCours_ && !fait);
  stopper_->setEnabled(enCours_);
  garder_->setEnabled(!enCours_ && !fait);
  liste_->setEnabled(!enCours_ && !fait);
}

void FenetreNettoyage::Nettoyer() {
  if (enCours_) return;
  enCours_ = true;
  arret_ = false;
  Boutons();
  emit Debut();
  for (std::size_t i = 0; i < prefixes_.size(); ++i) {
    if (!prefixes_[i].apercu->apercu) continue;
    if (!Choisi(i)) {
      prefixes_[i].etat->setText(QStringLiteral("non choisi"));
      continue;
    }
    if (arret_) {
      prefixes_[i].etat->setText(QStringLiteral("non nettoyé : arrêté avant"));
      continue;
    }
    Lancer(i);
    emit Nettoye(prefixes_[i].apercu->prefixe.chemin);
  }
  enCours_ = false;
  explication_->setText(arret_ ? QStringLiteral("Nettoyage arrêté.")
                               : QStringLiteral("Nettoyage terminé."));
  // What the runs came to, on one line.
  BilanNettoyage total;
  std::size_t nettoyes = 0;
  for (const Ligne& l : prefixes_) {
    if (!l.bilan || l.bilan->refuse) continue;
    ++nettoyes;
    total.nbFichiers += l.bilan->nbFichiers;
    total.taille += l.bilan->taille;
    total.nbEchecs += l.bilan->nbEchecs;
    total.nbProteges += l.bilan->nbProteges;
    total.tailleProtegee += l.bilan->tailleProtegee;
    total.nbGardes += l.bilan->nbGardes;
    total.tailleGardee += l.bilan->tailleGardee;
  }
  total_->setText(QStringLiteral("%1 : %2").arg(
      nettoyes > 1 ? QStringLiteral("Nettoyés (%1 préfixes)").arg(nettoyes)
                   : QStringLiteral("Nettoyé"),
      TexteTotal(total.nbFichiers, total.taille, total.nbEchecs, total.nbProteges,
                 total.tailleProtegee, total.nbGardes, total.tailleGardee)));
  Boutons();
  emit Fin();
  if (fermerApres_) QDialog::reject();
}

void FenetreNettoyage::Lancer(std::size_t i) {
  Ligne& l = prefixes_[i];
  const Prefixe& p = l.apercu->prefixe;
  std::set<FichierRepere> laisses = Laisses(i);
  int attendus = 0;
  for (const QTreeWidgetItem* g : l.groupes) {
    for (int k = 0; k < g->childCount(); ++k) attendus += g->child(k)->checkState(0) == Qt::Checked;
  }
  Attendre(l.barre, attendus);
  l.etat->setText(QStringLiteral("en cours…"));
  BilanNettoyage bilan;
  try {
    const PrefixeOuvert ouvert = OuvrirPrefixe(p, choix_);
    Suivi suivi;
    NettoyagePrefixe nettoyage(ouvert, suivi, std::move(laisses));
    courant_ = &nettoyage;
    Horloge::time_point dernier = Horloge::now();
    nettoyage.Scrute().TraiterMessages = [&] {
      const Horloge::time_point maintenant = Horloge::now();
      if (maintenant - dernier < kIntervalle) return;
      l.barre->setValue(static_cast<int>(std::min<std::uint64_t>(suivi.nbFichiers, attendus)));
      QCoreApplication::processEvents();
      dernier = Horloge::now();
    };
    // A stop asked for before the run began.
    if (arret_) nettoyage.Stopper();
    bilan = nettoyage.Lancer();
    courant_ = nullptr;
  } catch (const std::exception& e) {
    courant_ = nullptr;
    bilan.erreur = e.what();
    bilan.refuse = true;
  }
  l.barre->setValue(
      static_cast<int>(std::min<std::uint64_t>(bilan.nbFichiers, l.barre->maximum())));
  const QString total = TexteTotal(bilan.nbFichiers, bilan.taille, bilan.nbEchecs, bilan.nbProteges,
                                   bilan.tailleProtegee, bilan.nbGardes, bilan.tailleGardee);
  QString etat;
  if (bilan.refuse) {
    etat = QStringLiteral("refusé : %1").arg(Utf8(bilan.erreur));
  } else if (!bilan.interruption.empty()) {
    etat = QStringLiteral("arrêté : %1 ; %2").arg(Utf8(bilan.interruption), total);
  } else if (arret_) {
    etat = QStringLiteral("arrêté : %1").arg(total);
  } else {
    etat = QStringLiteral("fait : %1").arg(total);
    if (!bilan.erreur.empty()) etat += QStringLiteral(" ; puis : %1").arg(Utf8(bilan.erreur));
  }
  l.etat->setText(etat);
  l.etat->setToolTip(etat);
  l.bilan = std::move(bilan);
}

void FenetreNettoyage::ToujoursGarder() {
  if (enCours_) return;
  // The file rows chosen: those selected (a group selected: its files), else those unchecked.
  std::vector<QTreeWidgetItem*> rangs;
  for (int passe = 0; passe < 2 && rangs.empty(); ++passe) {
    for (const Ligne& l : prefixes_) {
      for (QTreeWidgetItem* g : l.groupes) {
        for (int k = 0; k < g->childCount(); ++k) {
          QTreeWidgetItem* f = g->child(k);
          if (f->data(0, kGarde).toBool()) continue;
          const bool pris = passe == 0
                                ? f->isSelected() || g->isSelected() || l.element->isSelected()
                                : f->checkState(0) != Qt::Checked;
          if (pris) rangs.push_back(f);
        }
      }
    }
  }
  if (rangs.empty()) {
    explication_->setText(
        QStringLiteral("Choisissez ou décochez d'abord les fichiers à toujours garder."));
    return;
  }
  std::vector<ElementGarde> elements;
  std::set<std::size_t> touches;
  for (const QTreeWidgetItem* f : rangs) {
    const std::size_t i = f->data(0, kPrefixe).toULongLong();
    const ApercuDuPrefixe& a = *prefixes_[i].apercu;
    elements.push_back(
        GardeDuFichier(a.prefixe.chemin, a.apercu->fichiers.at(f->data(0, kIndice).toULongLong())));
    touches.insert(i);
  }
  try {
    choix_ = GarderToujours(maison_, elements);
  } catch (const std::exception& e) {
    explication_->setText(QStringLiteral("Rien n'a été gardé : %1").arg(Utf8(e.what())));
    return;
  }
  // Shown as kept: no box any more, left by the runs.
  miseAJour_ = true;
  for (QTreeWidgetItem* f : rangs) {
    f->setData(0, Qt::CheckStateRole, QVariant());
    f->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    f->setData(0, kGarde, true);
    f->setText(2, QStringLiteral("gardé"));
    f->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
  }
  miseAJour_ = false;
  explication_->setText(QStringLiteral("%1 toujours gardés : « Choix… » les liste.")
                            .arg(TexteFichiers(rangs.size())));
  for (const std::size_t i : touches) {
    if (!prefixes_[i].groupes.empty()) Coche(prefixes_[i].groupes.front());
  }
  Recompter();
  for (const std::size_t i : touches) emit Gardes(prefixes_[i].apercu->prefixe.chemin);
}

void FenetreNettoyage::Stopper() {
  arret_ = true;
  if (courant_ != nullptr) courant_->Stopper();
}

void FenetreNettoyage::reject() {
  if (enCours_) {
    fermerApres_ = true;
    Stopper();
    return;
  }
  QDialog::reject();
}
