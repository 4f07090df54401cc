#include "kits/qt/FenetreChoix.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <iostream>
#include <utility>

#include "kits/qt/FenetreApercu.h"
#include "kits/qt/FenetreChoixCommuns.h"
#include "kits/qt/FenetreNettoyage.h"
#include "kits/qt/Garde.h"
#include "kits/qt/Messages.h"
#include "kits/qt/ModelePrefixes.h"
#include "platform/PrefixUse.h"
#include "prefixes/Cible.h"
#include "prefixes/Liste.h"

namespace fs = std::filesystem;

namespace {

// How often the window looks which prefixes are in use.
constexpr int kOccupationMs = 2000;
// How long the previews made wait to be shown together: the rows are sorted again once for all
// of them.
constexpr int kVersementMs = 40;

QString Utf8(const std::string& texte) {
  return QString::fromStdString(texte);
}

// A folder's text cut in the middle when it is too long for its column, so that both its start
// and its end ("…/compatdata/1245620/pfx") stay in view.
class CoupeAuMilieu : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideMiddle;
  }
};

// A folder as a person reads it: "~/…" below the home.
QString Court(const fs::path& dossier, const fs::path& maison) {
  const QString d = Utf8(dossier.lexically_normal().string());
  const QString m = Utf8(maison.lexically_normal().string());
  if (!m.isEmpty() && (d == m || d.startsWith(m + QLatin1Char('/')))) {
    return QStringLiteral("~") + d.mid(m.size());
  }
  return d;
}

}  // namespace

FenetreChoix::FenetreChoix(const Maison& maison, QWidget* parent)
    : DialoguePrefixe(parent), maison_(maison) {
  Intituler(TitrePrefixe(QStringLiteral("Préfixes Wine et Proton")));
  auto* disposition = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Les préfixes Wine et Proton de vos jeux et programmes Windows, et ce qu'un "
                     "nettoyage libérerait dans chacun. Cochez-en, puis « Nettoyer… » : la liste "
                     "de ce qui serait effacé est montrée avant que rien ne le soit. Ouvrir ouvre "
                     "Tidora 2000 sur le préfixe choisi."),
      this);
  intro->setWordWrap(true);
  disposition->addWidget(intro);

  avertissements_ = new QLabel(this);
  LireChoix();
  modele_ = new ModelePrefixes(Trouver(), this);
  versement_ = new QTimer(this);
  versement_->setSingleShot(true);
  versement_->setInterval(kVersementMs);
  connect(versement_, &QTimer::timeout, this, &FenetreChoix::Verser);
  // The previews first: they run while the window is built and shown.
  std::vector<int> toutes;
  for (int i = 0; i < modele_->rowCount(); ++i) toutes.push_back(i);
  Apercevoir(toutes);
  tri_ = new TriPrefixes(this);
  tri_->setSourceModel(modele_);

  table_ = new QTableView(this);
  table_->setModel(tri_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(ModelePrefixes::kALiberer, Qt::DescendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setItemDelegateForColumn(ModelePrefixes::kDossier, new CoupeAuMilieu(table_));
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->resizeColumnsToContents();
  const int large =
      table_->fontMetrics().horizontalAdvance(QStringLiteral("888,8 Mo (8888 fichiers)"));
  table_->setColumnWidth(ModelePrefixes::kALiberer,
                         std::max(table_->columnWidth(ModelePrefixes::kALiberer), large + 16));
  table_->setColumnWidth(ModelePrefixes::kChoix,
                         table_->fontMetrics().horizontalAdvance(QStringLiteral("communes")) + 16);
  table_->setColumnWidth(ModelePrefixes::kNom,
                         std::min(table_->columnWidth(ModelePrefixes::kNom), 260));
  disposition->addWidget(table_, 1);

  detail_ = new QLabel(this);
  detail_->setWordWrap(true);
  // A long folder name is cut rather than widening the window past the screen.
  detail_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  disposition->addWidget(detail_);
  lieux_ = new QLabel(this);
  lieux_->setWordWrap(true);
  lieux_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lieux_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  disposition->addWidget(lieux_);
  avertissements_->setWordWrap(true);
  avertissements_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  disposition->addWidget(avertissements_);

  auto* boutons = new QHBoxLayout;
  choix_ = new QPushButton(QStringLiteral("C&hoix…"), this);
  dossier_ = new QPushButton(QStringLiteral("Ouvrir un &dossier…"), this);
  actualiser_ = new QPushButton(QStringLiteral("Ac&tualiser"), this);
  apercu_ = new QPushButton(QStringLiteral("&Aperçu…"), this);
  nettoyer_ = new QPushButton(QStringLiteral("&Nettoyer…"), this);
  ouvrir_ = new QPushButton(QStringLiteral("&Ouvrir"), this);
  auto* fermer = new QPushButton(QStringLiteral("&Fermer"), this);
  actualiser_->setToolTip(
      QStringLiteral("Chercher à nouveau les préfixes et ce qu'ils libéreraient (F5)"));
  for (QPushButton* b : {choix_, dossier_, actualiser_}) boutons->addWidget(b);
  boutons->addStretch(1);
  for (QPushButton* b : {apercu_, nettoyer_, ouvrir_, fermer}) boutons->addWidget(b);
  for (QPushButton* b : {choix_, dossier_, actualiser_, apercu_, nettoyer_, fermer}) {
    b->setAutoDefault(false);
  }
  ouvrir_->setDefault(true);
  disposition->addLayout(boutons);

  connect(nettoyer_, &QPushButton::clicked, this, [this] { Garde([this] { Nettoyer(); }); });
  connect(apercu_, &QPushButton::clicked, this, [this] { Garde([this] { MontrerApercu(); }); });
  connect(ouvrir_, &QPushButton::clicked, this, [this] { Garde([this] { OuvrirChoisi(); }); });
  connect(choix_, &QPushButton::clicked, this, [this] { Garde([this] { MontrerChoix(); }); });
  connect(dossier_, &QPushButton::clicked, this, [this] { Garde([this] { OuvrirDossier(); }); });
  connect(actualiser_, &QPushButton::clicked, this, [this] { Garde([this] { Actualiser(); }); });
  connect(fermer, &QPushButton::clicked, this, &QDialog::reject);
  auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(f5, &QShortcut::activated, this, [this] {
    if (actualiser_->isEnabled()) Garde([this] { Actualiser(); });
  });
  connect(table_, &QTableView::doubleClicked, this, [this] {
    if (ouvrir_->isEnabled()) Garde([this] { OuvrirChoisi(); });
  });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &FenetreChoix::Suivre);
  connect(modele_, &QAbstractItemModel::dataChanged, this, &FenetreChoix::Suivre);
  connect(modele_, &QAbstractItemModel::modelReset, this, &FenetreChoix::Suivre);
  connect(modele_, &QAbstractItemModel::rowsInserted, this, &FenetreChoix::Suivre);

  occupation_ = new QTimer(this);
  occupation_->setInterval(kOccupationMs);
  connect(occupation_, &QTimer::timeout, this, [this] { Garde([this] { RevoirOccupation(); }); });
  occupation_->start();

  if (modele_->rowCount() > 0) table_->selectRow(0);
  MontrerLieux();
  Suivre();
  resize(900, 480);
}

FenetreChoix::~FenetreChoix() {
  // Every preview abandoned first, so that the window waits only for the longest under way.
  const QList<ApercusEnFond*> fonds = findChildren<ApercusEnFond*>(Qt::FindDirectChildrenOnly);
  for (ApercusEnFond* f : fonds) f->Abandonner();
  qDeleteAll(fonds);
}

FenetreApercu* FenetreChoix::DernierApercu() const {
  return dernierApercu_;
}
FenetreNettoyage* FenetreChoix::DerniereConfirmation() const {
  return derniereConfirmation_;
}
FenetreChoixCommuns* FenetreChoix::DerniersChoix() const {
  return derniersChoix_;
}

void FenetreChoix::LireChoix() {
  try {
    choixCommuns_ = ChoixDeLUtilisateur(maison_);
  } catch (const std::exception& e) {
    choixCommuns_ = ChoixParDefaut();
    AfficherErreur(QStringLiteral("%1 ; les choix par défaut sont pris.").arg(Utf8(e.what())));
  }
}

std::vector<Prefixe> FenetreChoix::Trouver() {
  Recherche r = TrouverPrefixes(maison_);
  QStringList avertissements;
  for (const std::string& a : r.avertissements) {
    std::cerr << "tidora2000 : " << a << '\n';
    avertissements << Utf8(a);
  }
  avertissements_->setText(avertissements.isEmpty()
                               ? QString()
                               : QStringLiteral("Fichiers de lanceurs ignorés :\n") +
                                     avertissements.join(QLatin1Char('\n')));
  avertissements_->setVisible(!avertissements.isEmpty());
  // The folders added by hand, when they are still prefixes nobody lists.
  for (const fs::path& dossier : ajoutes_) {
    try {
      Prefixe p = TrouverCible(dossier.string(), r.prefixes);
      bool connu = false;
      for (const Prefixe& q : r.prefixes) connu = connu || q.id == p.id;
      if (!connu) r.prefixes.push_back(std::move(p));
    } catch (const std::exception&) {
      // Gone since: no longer listed.
    }
  }
  ChercherUtilisateurs(r.prefixes);
  return std::move(r.prefixes);
}

void FenetreChoix::MontrerLieux() {
  if (modele_->rowCount() > 0) {
    lieux_->hide();
    return;
  }
  QString texte = QStringLiteral("Lieux cherchés :");
  for (const LieuxDUnLanceur& l : LieuxCherches(maison_)) {
    QStringList dossiers;
    for (const fs::path& d : l.dossiers) dossiers << Court(d, maison_.dossier);
    dossiers.removeDuplicates();
    texte += QStringLiteral("\n%1 : %2")
                 .arg(LibelleOrigine(l.origine), dossiers.join(QStringLiteral(", ")));
  }
  texte += QStringLiteral("\nUn préfixe ailleurs s'ajoute avec « Ouvrir un dossier… ».");
  lieux_->setText(texte);
  lieux_->show();
}

std::optional<int> FenetreChoix::LigneChoisie() const {
  const QModelIndexList lignes = table_->selectionModel()->selectedRows();
  if (lignes.isEmpty()) return std::nullopt;
  return tri_->mapToSource(lignes.front()).row();
}

void FenetreChoix::Choisir(int ligne) {
  const QModelIndex index = tri_->mapFromSource(modele_->index(ligne, 0));
  if (!index.isValid()) return;
  table_->selectRow(index.row());
  table_->scrollTo(index);
}

std::vector<int> FenetreChoix::LignesANettoyer() const {
  std::vector<int> lignes = modele_->Coches();
  if (lignes.empty()) {
    if (const std::optional<int> ligne = LigneChoisie()) lignes.push_back(*ligne);
  }
  return lignes;
}

bool FenetreChoix::Occupee() const {
  return preparations_ > 0 || nettoyage_;
}

void FenetreChoix::Suivre() {
  const std::optional<int> ligne = LigneChoisie();
  const bool libre = !Occupee();
  apercu_->setEnabled(ligne.has_value() && libre);
  nettoyer_->setEnabled(!LignesANettoyer().empty() && libre);
  actualiser_->setEnabled(libre);
  choix_->setEnabled(libre);
  dossier_->setEnabled(libre);
  const std::size_t coches = modele_->Coches().size();
  nettoyer_->setText(coches > 1 ? QStringLiteral("&Nettoyer %1 préfixes…").arg(coches)
                                : QStringLiteral("&Nettoyer…"));
  if (!ligne) {
    ouvrir_->setEnabled(false);
    detail_->setText(modele_->rowCount() == 0
                         ? QStringLiteral("Aucun préfixe Wine ou Proton trouvé.")
                         : QStringLiteral("Choisissez un préfixe dans la liste."));
    return;
  }
  const Prefixe& p = modele_->At(*ligne);
  ouvrir_->setEnabled(!p.utilisateur && libre);
  QString texte = QStringLiteral("Dossier : %1").arg(Utf8(p.chemin.string()));
  if (p.desinstalle) {
    texte += QStringLiteral(
        "\nSon jeu est désinstallé : ses traces peuvent partir comme les "
        "autres ; le préfixe lui-même n'est jamais supprimé.");
  }
  if (p.utilisateur) {
    texte += QStringLiteral(
                 "\nCe préfixe est %1 : il ne peut être ouvert ni nettoyé tant que ce "
                 "programme s'en sert. Fermez-le : la liste le verra.")
                 .arg(LibelleEtat(p));
  }
  if (preparations_ > 0) texte += QStringLiteral("\nAperçu en cours…");
  detail_->setText(texte);
}

void FenetreChoix::Apercevoir(const std::vector<int>& lignes,
                              std::function<void(std::vector<ApercuPartage>)> ensuite) {
  if (lignes.empty()) return;
  std::vector<Prefixe> prefixes;
  std::vector<std::pair<int, unsigned>> cibles;
  for (const int l : lignes) {
    prefixes.push_back(modele_->At(l));
    cibles.emplace_back(l, modele_->Demander(l));
  }
  const bool pourUneFenetre = static_cast<bool>(ensuite);
  auto* fond = new ApercusEnFond(std::move(prefixes), choixCommuns_, !pourUneFenetre, this);
  auto recus = std::make_shared<std::vector<ApercuPartage>>(lignes.size());
  connect(fond, &ApercusEnFond::Pret, this, [this, cibles, recus](int i, ApercuPartage a) {
    const auto [ligne, ticket] = cibles.at(static_cast<std::size_t>(i));
    versements_.push_back({ligne, ticket,
                           a->apercu ? ResumeApercu::De(*a->apercu, a->choixPropres)
                                     : ResumeApercu::Erreur(a->erreur)});
    if (!versement_->isActive()) versement_->start();
    (*recus)[static_cast<std::size_t>(i)] = std::move(a);
  });
  if (pourUneFenetre) {
    ++preparations_;
    Suivre();
  }
  connect(fond, &ApercusEnFond::Fini, this, [this, fond, recus, ensuite = std::move(ensuite)] {
    fond->deleteLater();
    Verser();
    if (!ensuite) return;
    --preparations_;
    Suivre();
    for (const ApercuPartage& a : *recus) {
      if (!a) return;  // abandoned
    }
    Garde([&] { ensuite(std::move(*recus)); });
  });
  fond->Lancer();
}

void FenetreChoix::Verser() {
  versement_->stop();
  if (!versements_.empty()) modele_->MettreApercus(std::exchange(versements_, {}));
}

void FenetreChoix::Nettoyer() {
  if (Occupee()) return;
  const std::vector<int> lignes = LignesANettoyer();
  if (lignes.empty()) return;
  // Their state now, which the confirmation shows.
  std::vector<fs::path> dossiers;
  for (const int l : lignes) dossiers.push_back(modele_->At(l).chemin);
  std::vector<std::optional<os::PrefixUser>> utilisateurs = os::prefixUsers(dossiers);
  for (std::size_t i = 0; i < lignes.size(); ++i) {
    modele_->MettreUtilisateur(lignes[i], std::move(utilisateurs[i]));
  }
  Apercevoir(lignes, [this, choix = choixCommuns_](std::vector<ApercuPartage> apercus) {
    auto* fenetre = new FenetreNettoyage(std::move(apercus), choix, maison_, this);
    fenetre->setAttribute(Qt::WA_DeleteOnClose);
    connect(fenetre, &FenetreNettoyage::Debut, this, [this] {
      nettoyage_ = true;
      occupation_->stop();
      Suivre();
    });
    connect(fenetre, &FenetreNettoyage::Fin, this, [this] {
      nettoyage_ = false;
      occupation_->start();
      Suivre();
    });
    connect(fenetre, &FenetreNettoyage::Nettoye, this, [this](const fs::path& dossier) {
      const std::optional<int> ligne = modele_->Ligne(dossier);
      if (!ligne) return;
      modele_->MettreUtilisateur(*ligne, os::prefixUser(dossier));
      modele_->Cocher(*ligne, false);
      Apercevoir({*ligne});
    });
    // Files kept for good there: the common choices changed, the prefix is previewed again.
    connect(fenetre, &FenetreNettoyage::Gardes, this, [this](const fs::path& dossier) {
      LireChoix();
      if (const std::optional<int> ligne = modele_->Ligne(dossier)) Apercevoir({*ligne});
    });
    derniereConfirmation_ = fenetre;
    fenetre->open();
  });
}

void FenetreChoix::MontrerApercu() {
  const std::optional<int> ligne = LigneChoisie();
  if (!ligne || Occupee()) return;
  modele_->MettreUtilisateur(*ligne, os::prefixUser(modele_->At(*ligne).chemin));
  Apercevoir({*ligne}, [this](std::vector<ApercuPartage> apercus) {
    const ApercuDuPrefixe& a = *apercus.front();
    if (!a.apercu) {
      AfficherErreur(Utf8(a.erreur));
      return;
    }
    if (dernierApercu_) dernierApercu_->close();
    auto* fenetre =
        new FenetreApercu(*a.apercu, Utf8(a.prefixe.nom),
                          a.prefixe.utilisateur ? LibelleEtat(a.prefixe) : QString(), this);
    fenetre->setAttribute(Qt::WA_DeleteOnClose);
    dernierApercu_ = fenetre;
    fenetre->open();
  });
}

void FenetreChoix::MontrerChoix() {
  if (Occupee()) return;
  std::optional<Prefixe> propre;
  if (const std::optional<int> ligne = LigneChoisie()) {
    const std::optional<ResumeApercu>& r = modele_->Resume(*ligne);
    if (r && r->choixPropres) propre = modele_->At(*ligne);
  }
  auto* fenetre = new FenetreChoixCommuns(maison_, propre, this);
  fenetre->setAttribute(Qt::WA_DeleteOnClose);
  connect(fenetre, &FenetreChoixCommuns::Enregistres, this, [this] {
    const std::vector<ElementGarde> gardes = choixCommuns_.gardes;
    LireChoix();
    // The prefixes that take the common choices, and those not yet known; all of them when the
    // keep list changed.
    const bool tous = gardes != choixCommuns_.gardes;
    std::vector<int> lignes;
    for (int i = 0; i < modele_->rowCount(); ++i) {
      const std::optional<ResumeApercu>& r = modele_->Resume(i);
      if (tous || !r || !r->choixPropres) lignes.push_back(i);
    }
    Apercevoir(lignes);
  });
  connect(fenetre, &FenetreChoixCommuns::Oublies, this, [this](const fs::path& dossier) {
    if (const std::optional<int> ligne = modele_->Ligne(dossier)) Apercevoir({*ligne});
  });
  derniersChoix_ = fenetre;
  fenetre->open();
}

void FenetreChoix::OuvrirChoisi() {
  const std::optional<int> ligne = LigneChoisie();
  if (!ligne || Occupee()) return;
  const fs::path dossier = modele_->At(*ligne).chemin;
  // It may have been taken since the list was made.
  modele_->MettreUtilisateur(*ligne, os::prefixUser(dossier));
  const Prefixe& p = modele_->At(*ligne);
  if (p.utilisateur) {
    AfficherErreur(QStringLiteral("Le préfixe %1 est %2 : fermez ce programme, puis recommencez")
                       .arg(Utf8(dossier.string()), LibelleEtat(p)));
    return;
  }
  emit Ouvrir(p);
}

void FenetreChoix::OuvrirDossier() {
  if (Occupee()) return;
  const QString dossier = QFileDialog::getExistingDirectory(
      this, TitrePrefixe(QStringLiteral("Ouvrir un dossier")), Utf8(maison_.dossier.string()));
  if (dossier.isEmpty()) return;
  AjouterDossier(dossier.toStdString());
}

void FenetreChoix::AjouterDossier(const fs::path& dossier) {
  std::vector<Prefixe> un{TrouverCible(dossier.string(), modele_->Prefixes())};
  if (const std::optional<int> ligne = modele_->Ligne(un.front())) {
    Choisir(*ligne);
    return;
  }
  ChercherUtilisateurs(un);
  ajoutes_.push_back(un.front().chemin);
  const int ligne = modele_->Ajouter(std::move(un.front()));
  MontrerLieux();
  Apercevoir({ligne});
  Choisir(ligne);
}

void FenetreChoix::Actualiser() {
  if (Occupee()) return;
  const std::optional<int> ligne = LigneChoisie();
  const fs::path choisi = ligne ? modele_->At(*ligne).chemin : fs::path();
  // The previews under way are of the old list.
  for (ApercusEnFond* f : findChildren<ApercusEnFond*>(Qt::FindDirectChildrenOnly)) f->Abandonner();
  LireChoix();
  modele_->Remplacer(Trouver());
  MontrerLieux();
  if (const std::optional<int> l = modele_->Ligne(choisi)) {
    Choisir(*l);
  } else if (modele_->rowCount() > 0) {
    table_->selectRow(0);
  }
  std::vector<int> toutes;
  for (int i = 0; i < modele_->rowCount(); ++i) toutes.push_back(i);
  Apercevoir(toutes);
}

void FenetreChoix::RevoirOccupation() {
  // Hidden while the skinned windows work on a prefix, whose runs check for themselves.
  if (nettoyage_ || !isVisible()) return;
  std::vector<std::optional<os::PrefixUser>> utilisateurs = os::prefixUsers(modele_->Dossiers());
  std::vector<int> changes;
  for (int i = 0; i < modele_->rowCount(); ++i) {
    if (modele_->MettreUtilisateur(i, std::move(utilisateurs[static_cast<std::size_t>(i)]))) {
      changes.push_back(i);
    }
  }
  // A program that ran there may have left files, or taken them away.
  Apercevoir(changes);
}

bool FenetreChoix::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Garde([this] { RevoirOccupation(); });
  return DialoguePrefixe::event(event);
}

void FenetreChoix::reject() {
  // A run under way in the confirmation is stopped first; the window stays until it is over.
  if (nettoyage_ && derniereConfirmation_) {
    derniereConfirmation_->reject();
    return;
  }
  DialoguePrefixe::reject();
}
