#include "kits/qt/FenetreChoixCommuns.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "kits/qt/ModelePrefixes.h"
#include "options/LibellesChoix.h"
#include "platform/Drive.h"
#include "platform/PrefixUse.h"

namespace {

QString Utf8(const std::string& texte) {
  return QString::fromStdString(texte);
}

QString Texte(std::string_view texte) {
  return QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
}

}  // namespace

FenetreChoixCommuns::FenetreChoixCommuns(const Maison& maison, std::optional<Prefixe> prefixe,
                                         QWidget* parent)
    : DialoguePrefixe(parent), maison_(maison), prefixe_(std::move(prefixe)) {
  Intituler(TitrePrefixe(QStringLiteral("Choix communs")));
  auto* disposition = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Ce que Tidora 2000 nettoie dans les préfixes qui n'ont pas leurs propres "
                     "choix (des options validées dans le préfixe)."),
      this);
  intro->setWordWrap(true);
  disposition->addWidget(intro);

  auto* colonnes = new QHBoxLayout;
  auto* dossiers = new QGroupBox(QStringLiteral("Dossiers et registre"), this);
  auto* masques = new QGroupBox(QStringLiteral("Masques"), this);
  auto* gauche = new QVBoxLayout(dossiers);
  auto* droite = new QGridLayout(masques);
  for (std::size_t i = 0; i < cases_.size(); ++i) {
    cases_[i] = new QCheckBox(Texte(LibellesChoix[i].libelle), this);
    if (i < 8) {
      cases_[i]->setToolTip(Texte(LibellesChoix[i].cle));
      gauche->addWidget(cases_[i]);
    } else {
      const int rang = static_cast<int>(i - 8);
      droite->addWidget(cases_[i], rang / 3, rang % 3);
    }
  }
  gauche->addStretch(1);
  masques_ = new QLineEdit(this);
  masques_->setPlaceholderText(QStringLiteral("*.dmp;*.crash"));
  auto* libelle = new QLabel(QStringLiteral("&Autres masques, séparés par « ; » :"), this);
  libelle->setBuddy(masques_);
  droite->addWidget(libelle, 3, 0, 1, 3);
  droite->addWidget(masques_, 4, 0, 1, 3);
  droite->setRowStretch(5, 1);
  colonnes->addWidget(dossiers);
  colonnes->addWidget(masques, 1);
  disposition->addLayout(colonnes);

  sauvegardes_ =
      new QCheckBox(QStringLiteral("inclure les sauvegardes et les dossiers de jeux"), this);
  sauvegardes_->setToolTip(
      QStringLiteral("Sans cette case, les masques laissent en place les fichiers des "
                     "sauvegardes et des dossiers de jeux."));
  disposition->addWidget(sauvegardes_);

  auto* gardes = new QGroupBox(QStringLiteral("Toujours gardés"), this);
  auto* boiteGardes = new QVBoxLayout(gardes);
  auto* explication = new QLabel(
      QStringLiteral("Jamais effacés par un nettoyage, dans leur préfixe ou dans tous. On les "
                     "ajoute par « Toujours garder » dans « Nettoyer… », ou par "
                     "« tidora2000 --garder CHEMIN »."),
      gardes);
  explication->setWordWrap(true);
  boiteGardes->addWidget(explication);
  gardes_ = new QListWidget(gardes);
  gardes_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  gardes_->setMaximumHeight(6 * (fontMetrics().height() + 4));
  boiteGardes->addWidget(gardes_);
  nePlusGarder_ = new QPushButton(QStringLiteral("Ne &plus garder"), gardes);
  nePlusGarder_->setEnabled(false);
  boiteGardes->addWidget(nePlusGarder_, 0, Qt::AlignLeft);
  disposition->addWidget(gardes);
  connect(gardes_, &QListWidget::itemSelectionChanged, this,
          [this] { nePlusGarder_->setEnabled(!gardes_->selectedItems().isEmpty()); });
  connect(nePlusGarder_, &QPushButton::clicked, this, &FenetreChoixCommuns::NePlusGarder);

  erreur_ = new QLabel(this);
  erreur_->setWordWrap(true);
  erreur_->setStyleSheet(QStringLiteral("color: #b00000"));
  erreur_->hide();
  disposition->addWidget(erreur_);

  if (prefixe_) {
    auto* propre =
        new QGroupBox(QStringLiteral("« %1 » a ses propres choix").arg(Utf8(prefixe_->nom)), this);
    auto* boite = new QVBoxLayout(propre);
    propres_ = new QLabel(
        QStringLiteral("Ce préfixe a des options validées : il ne prend pas les choix communs. "
                       "Oubliez-les pour qu'il les prenne, ou faites-en les choix communs."),
        propre);
    propres_->setWordWrap(true);
    boite->addWidget(propres_);
    auto* ligne = new QHBoxLayout;
    oublier_ = new QPushButton(QStringLiteral("Ou&blier ses choix"), propre);
    communs_ = new QPushButton(QStringLiteral("En faire les choix &communs"), propre);
    ligne->addWidget(oublier_);
    ligne->addWidget(communs_);
    ligne->addStretch(1);
    boite->addLayout(ligne);
    disposition->addWidget(propre);
    connect(oublier_, &QPushButton::clicked, this, &FenetreChoixCommuns::Oublier);
    connect(communs_, &QPushButton::clicked, this, &FenetreChoixCommuns::EnFaireLesCommuns);
  }

  auto* boutons = new QDialogButtonBox(this);
  enregistrer_ = boutons->addButton(QStringLiteral("&Enregistrer"), QDialogButtonBox::AcceptRole);
  boutons->addButton(QStringLiteral("A&nnuler"), QDialogButtonBox::RejectRole);
  enregistrer_->setDefault(true);
  disposition->addWidget(boutons);
  connect(enregistrer_, &QPushButton::clicked, this, [this] {
    if (Enregistrer()) accept();
  });
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  try {
    Montrer(ChoixDeLUtilisateur(maison_));
  } catch (const std::exception& e) {
    Montrer(ChoixParDefaut());
    Dire(QStringLiteral("%1 ; les choix par défaut sont montrés.").arg(Utf8(e.what())));
  }
}

ChoixCommuns FenetreChoixCommuns::Choix() const {
  ChoixCommuns c;
  for (std::size_t i = 0; i < cases_.size(); ++i) c.cases[i] = cases_[i]->isChecked();
  c.masques = masques_->text().toStdString();
  c.sauvegardes = sauvegardes_->isChecked();
  c.gardes = elements_;
  return c;
}

void FenetreChoixCommuns::Montrer(const ChoixCommuns& choix) {
  for (std::size_t i = 0; i < cases_.size(); ++i) cases_[i]->setChecked(choix.cases[i]);
  masques_->setText(Utf8(choix.masques));
  sauvegardes_->setChecked(choix.sauvegardes);
  elements_ = choix.gardes;
  gardes_->clear();
  for (const ElementGarde& e : elements_) {
    gardes_->addItem(e.prefixe.empty()
                         ? QStringLiteral("%1 (tous les préfixes)").arg(Utf8(TexteGarde(e)))
                         : Utf8(TexteGarde(e)));
  }
}

void FenetreChoixCommuns::NePlusGarder() {
  for (int i = gardes_->count() - 1; i >= 0; --i) {
    if (!gardes_->item(i)->isSelected()) continue;
    elements_.erase(elements_.begin() + i);
    delete gardes_->takeItem(i);
  }
}

void FenetreChoixCommuns::Dire(const QString& texte) {
  erreur_->setText(texte);
  erreur_->setVisible(!texte.isEmpty());
}

bool FenetreChoixCommuns::Enregistrer() {
  try {
    EnregistrerChoix(maison_, Choix());
  } catch (const std::exception& e) {
    Dire(Utf8(e.what()));
    masques_->setFocus();
    return false;
  }
  Dire({});
  emit Enregistres();
  return true;
}

void FenetreChoixCommuns::Oublier() {
  if (!prefixe_) return;
  try {
    // Another program's options window may be saving them there.
    os::checkPrefixFree(prefixe_->chemin);
    OublierOptions(os::Drive::existing(prefixe_->chemin));
  } catch (const std::exception& e) {
    Dire(Utf8(e.what()));
    return;
  }
  Dire({});
  propres_->setText(
      QStringLiteral("Ses choix sont oubliés : il prend désormais les choix communs."));
  oublier_->setEnabled(false);
  communs_->setEnabled(false);
  emit Oublies(prefixe_->chemin);
}

void FenetreChoixCommuns::EnFaireLesCommuns() {
  if (!prefixe_) return;
  ChoixCommuns c;
  try {
    const os::Drive lecteur = os::Drive::existing(prefixe_->chemin);
    TPlanMenage plan;
    LireOptions(lecteur, plan);
    c.cases = ChoixDuPlan(plan);
    c.masques = MasquesLibres(lecteur);
    c.sauvegardes = sauvegardes_->isChecked();
    c.gardes = elements_;
    EnregistrerChoix(maison_, c);
  } catch (const std::exception& e) {
    Dire(Utf8(e.what()));
    return;
  }
  Dire({});
  Montrer(c);
  propres_->setText(QStringLiteral("Ses choix sont désormais aussi les choix communs."));
  communs_->setEnabled(false);
  emit Enregistres();
}
