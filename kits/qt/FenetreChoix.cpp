#include "kits/qt/FenetreChoix.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <iostream>

#include "kits/qt/FenetreApercu.h"
#include "kits/qt/Garde.h"
#include "kits/qt/Messages.h"
#include "kits/qt/MesureTailles.h"
#include "kits/qt/ModelePrefixes.h"
#include "platform/PrefixUse.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/Liste.h"

namespace {

// The wait cursor while it lives.
class Attente {
 public:
  Attente() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Attente() { QApplication::restoreOverrideCursor(); }
  Attente(const Attente&) = delete;
  Attente& operator=(const Attente&) = delete;
};

std::vector<Prefixe> Trouver(const Maison& maison, QStringList& avertissements) {
  Recherche r = TrouverPrefixes(maison);
  for (const std::string& a : r.avertissements) {
    std::cerr << "tidora2000 : " << a << '\n';
    avertissements << QString::fromStdString(a);
  }
  ChercherUtilisateurs(r.prefixes);
  return std::move(r.prefixes);
}

}  // namespace

FenetreChoix::FenetreChoix(const Maison& maison, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Choisir un préfixe Wine ou Proton"));
  QStringList avertissements;
  modele_ = new ModelePrefixes(Trouver(maison, avertissements), this);
  tri_ = new QSortFilterProxyModel(this);
  tri_->setSourceModel(modele_);
  tri_->setSortRole(ModelePrefixes::kCle);
  tri_->setSortLocaleAware(true);
  tri_->setSortCaseSensitivity(Qt::CaseInsensitive);

  auto* disposition = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Les préfixes Wine et Proton de vos jeux et programmes Windows. Aperçu montre "
                     "ce qu'un nettoyage effacerait dans le préfixe choisi, sans rien effacer ; "
                     "Ouvrir ouvre Tidora 2000 sur ce préfixe."),
      this);
  intro->setWordWrap(true);
  disposition->addWidget(intro);

  table_ = new QTableView(this);
  table_->setModel(tri_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(ModelePrefixes::kNom, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->resizeColumnsToContents();
  table_->setColumnWidth(ModelePrefixes::kTaille, std::max(table_->columnWidth(ModelePrefixes::kTaille), 90));
  disposition->addWidget(table_, 1);

  detail_ = new QLabel(this);
  detail_->setWordWrap(true);
  // A long folder name is cut rather than widening the window past the screen.
  detail_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  disposition->addWidget(detail_);
  if (!avertissements.isEmpty()) {
    auto* illisibles = new QLabel(
        QStringLiteral("Fichiers de lanceurs ignorés :\n") + avertissements.join(QLatin1Char('\n')), this);
    illisibles->setWordWrap(true);
    illisibles->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    disposition->addWidget(illisibles);
  }

  auto* boutons = new QDialogButtonBox(this);
  apercu_ = boutons->addButton(QStringLiteral("&Aperçu…"), QDialogButtonBox::ActionRole);
  ouvrir_ = boutons->addButton(QStringLiteral("&Ouvrir"), QDialogButtonBox::AcceptRole);
  boutons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  ouvrir_->setDefault(true);
  disposition->addWidget(boutons);
  connect(apercu_, &QPushButton::clicked, this, [this] { Garde([this] { MontrerApercu(); }); });
  connect(ouvrir_, &QPushButton::clicked, this, [this] { Garde([this] { OuvrirChoisi(); }); });
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(table_, &QTableView::doubleClicked, this, [this] {
    if (ouvrir_->isEnabled()) Garde([this] { OuvrirChoisi(); });
  });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FenetreChoix::Actualiser);
  connect(modele_, &QAbstractItemModel::dataChanged, this, &FenetreChoix::Actualiser);

  if (modele_->rowCount() > 0) table_->selectRow(0);
  Actualiser();
  resize(820, 460);

  mesure_ = std::make_unique<MesureTailles>(modele_->Dossiers());
  connect(mesure_.get(), &MesureTailles::Mesuree, modele_, &ModelePrefixes::MettreTaille);
  mesure_->start(QThread::LowPriority);
}

FenetreChoix::~FenetreChoix() = default;

FenetreApercu* FenetreChoix::DernierApercu() const { return dernierApercu_; }

std::optional<int> FenetreChoix::LigneChoisie() const {
  const QModelIndexList lignes = table_->selectionModel()->selectedRows();
  if (lignes.isEmpty()) return std::nullopt;
  return tri_->mapToSource(lignes.front()).row();
}

void FenetreChoix::Choisir(int ligne) {
  const QModelIndex index = tri_->mapFromSource(modele_->index(ligne, 0));
  if (index.isValid()) table_->selectRow(index.row());
}

void FenetreChoix::Actualiser() {
  const std::optional<int> ligne = LigneChoisie();
  apercu_->setEnabled(ligne.has_value());
  if (!ligne) {
    ouvrir_->setEnabled(false);
    detail_->setText(modele_->rowCount() == 0
                         ? QStringLiteral("Aucun préfixe Wine ou Proton trouvé.")
                         : QStringLiteral("Choisissez un préfixe dans la liste."));
    return;
  }
  const Prefixe& p = modele_->At(*ligne);
  ouvrir_->setEnabled(!p.utilisateur);
  QString texte = QStringLiteral("Dossier : %1").arg(QString::fromStdString(p.chemin.string()));
  if (p.utilisateur) {
    texte += QStringLiteral("\nCe préfixe est %1 : il ne peut être ouvert tant que ce programme "
                            "s'en sert. Fermez-le, puis recommencez.")
                 .arg(LibelleEtat(p));
  }
  detail_->setText(texte);
}

void FenetreChoix::MontrerApercu() {
  const std::optional<int> ligne = LigneChoisie();
  if (!ligne) return;
  const Prefixe& p = modele_->At(*ligne);
  Apercu apercu;
  {
    Attente attente;
    apercu = ApercuPrefixe(OuvrirPrefixe(p.chemin, p.jeux, ChoixDeLUtilisateur(Maison::DuSysteme())));
  }
  if (dernierApercu_) dernierApercu_->close();
  auto* fenetre = new FenetreApercu(apercu, QString::fromStdString(p.nom),
                                    p.utilisateur ? LibelleEtat(p) : QString(), this);
  fenetre->setAttribute(Qt::WA_DeleteOnClose);
  dernierApercu_ = fenetre;
  fenetre->open();
}

void FenetreChoix::RevoirOccupation() {
  std::vector<std::optional<os::PrefixUser>> utilisateurs = os::prefixUsers(modele_->Dossiers());
  for (int i = 0; i < modele_->rowCount(); ++i) {
    modele_->MettreUtilisateur(i, std::move(utilisateurs[static_cast<std::size_t>(i)]));
  }
}

bool FenetreChoix::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Garde([this] { RevoirOccupation(); });
  return QDialog::event(event);
}

void FenetreChoix::OuvrirChoisi() {
  const std::optional<int> ligne = LigneChoisie();
  if (!ligne) return;
  const std::filesystem::path dossier = modele_->At(*ligne).chemin;
  // It may have been taken since the list was made.
  modele_->MettreUtilisateur(*ligne, os::prefixUser(dossier));
  const Prefixe& p = modele_->At(*ligne);
  if (p.utilisateur) {
    AfficherErreur(QStringLiteral("Le préfixe %1 est %2 : fermez ce programme, puis recommencez")
                       .arg(QString::fromStdString(dossier.string()), LibelleEtat(p)));
    return;
  }
  emit Ouvrir(dossier);
}
