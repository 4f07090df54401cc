#include "kits/qt/FenetreApercu.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "kits/qt/ModelePrefixes.h"

namespace {

QString Utf8(const std::string& texte) {
  return QString::fromStdString(texte);
}

// A heading of the list and its rows below it, unfolded; nothing when there are no rows.
QTreeWidgetItem* Rubrique(QTreeWidget* liste, const QString& titre, std::size_t nombre) {
  if (nombre == 0) return nullptr;
  auto* rubrique = new QTreeWidgetItem(liste, {QStringLiteral("%1 (%2)").arg(titre).arg(nombre)});
  QFont gras = rubrique->font(0);
  gras.setBold(true);
  rubrique->setFont(0, gras);
  rubrique->setFirstColumnSpanned(true);
  rubrique->setExpanded(true);
  return rubrique;
}

// `proteges`: files a run leaves, never marked as failing.
void Fichiers(QTreeWidget* liste, const QString& titre, const std::vector<FichierApercu>& fichiers,
              std::size_t debut, std::size_t fin, bool proteges = false) {
  QTreeWidgetItem* rubrique = Rubrique(liste, titre, fin - debut);
  for (std::size_t i = debut; i < fin; ++i) {
    const FichierApercu& f = fichiers[i];
    QString raison = LibelleRaison(f.raison);
    if (!f.supprime && !proteges) raison += QStringLiteral(" ; ne pourrait pas être supprimé");
    auto* ligne = new QTreeWidgetItem(rubrique, {Utf8(f.chemin), TexteTaille(f.taille), raison});
    ligne->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ligne->setToolTip(0, Utf8(f.hote.empty() ? f.chemin : f.hote));
    ligne->setToolTip(1, QStringLiteral("%1 octets").arg(f.taille));
  }
}

}  // namespace

FenetreApercu::FenetreApercu(const Apercu& apercu, const QString& prefixe,
                             const QString& occupation, QWidget* parent)
    : DialoguePrefixe(parent) {
  Intituler(TitrePrefixe(prefixe));
  auto* disposition = new QVBoxLayout(this);
  auto* boutons = new QDialogButtonBox(this);
  boutons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  if (!occupation.isEmpty()) {
    auto* occupe = new QLabel(
        QStringLiteral("Ce préfixe est %1 : un nettoyage y serait refusé tant qu'il l'est.")
            .arg(occupation),
        this);
    occupe->setWordWrap(true);
    disposition->addWidget(occupe);
  }
  if (!apercu.optionsValidees) {
    auto* texte = new QLabel(
        QStringLiteral("Ce préfixe n'a pas d'options validées : un nettoyage n'y effacerait rien "
                       "et demanderait d'abord de choisir ce qu'il faut nettoyer. Ouvrez-le, puis "
                       "choisissez et validez ses options."),
        this);
    texte->setWordWrap(true);
    disposition->addWidget(texte);
    disposition->addWidget(boutons);
    resize(520, 160);
    return;
  }

  liste_ = new QTreeWidget(this);
  liste_->setColumnCount(3);
  liste_->setHeaderLabels(
      {QStringLiteral("Élément"), QStringLiteral("Taille"), QStringLiteral("Pris par")});
  liste_->setUniformRowHeights(true);
  liste_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  liste_->header()->setStretchLastSection(false);
  liste_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  liste_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  liste_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  liste_->installEventFilter(this);
  const std::size_t sensibles = apercu.nbSensibles;
  Fichiers(liste_, QStringLiteral("Fichiers dans des dossiers de sauvegardes ou de jeux"),
           apercu.fichiers, 0, sensibles);
  Fichiers(liste_, sensibles > 0 ? QStringLiteral("Autres fichiers") : QStringLiteral("Fichiers"),
           apercu.fichiers, sensibles, apercu.fichiers.size());
  if (QTreeWidgetItem* r =
          Rubrique(liste_, QStringLiteral("Valeurs du registre"), apercu.valeurs.size())) {
    for (const ValeurApercu& v : apercu.valeurs) {
      new QTreeWidgetItem(r, {QStringLiteral("« %1 » dans %2").arg(Utf8(v.nom), Utf8(v.cle))});
    }
  }
  if (QTreeWidgetItem* r =
          Rubrique(liste_, QStringLiteral("Dossiers vides"), apercu.dossiers.size())) {
    for (const std::string& d : apercu.dossiers) new QTreeWidgetItem(r, {Utf8(d)});
  }
  if (apercu.fichiers.empty() && apercu.valeurs.empty() && apercu.dossiers.empty()) {
    new QTreeWidgetItem(liste_, {QStringLiteral("Un nettoyage n'effacerait rien.")});
  }
  // Apart, last: what the run leaves.
  Fichiers(liste_, QStringLiteral("Protégés, laissés en place (sauvegardes et dossiers de jeux)"),
           apercu.proteges, 0, apercu.proteges.size(), true);
  Fichiers(liste_, QStringLiteral("Gardés, laissés en place (toujours gardés)"), apercu.gardes, 0,
           apercu.gardes.size(), true);

  disposition->addWidget(liste_, 1);

  QString resume =
      QStringLiteral("Total : ") +
      TexteTotal(apercu.nbFichiers, apercu.tailleTotale, apercu.nbEchecs, apercu.proteges.size(),
                 apercu.tailleProtegee, apercu.gardes.size(), apercu.tailleGardee);
  for (const PasseSautee& p : apercu.passesSautees) resume += QLatin1Char('\n') + Utf8(p.Texte());
  if (!apercu.interruption.empty()) resume += QLatin1Char('\n') + Utf8(apercu.interruption);
  if (!apercu.erreur.empty()) {
    resume += QStringLiteral("\nPuis il signalerait : %1").arg(Utf8(apercu.erreur));
  }
  resume_ = new QLabel(resume, this);
  resume_->setWordWrap(true);
  resume_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  disposition->addWidget(resume_);

  QPushButton* copier =
      boutons->addButton(QStringLiteral("&Copier la liste"), QDialogButtonBox::ActionRole);
  connect(copier, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(Texte(false)); });
  disposition->addWidget(boutons);
  liste_->setFocus();
  resize(760, 520);
}

QString FenetreApercu::Texte(bool selection) const {
  QString texte;
  if (liste_ == nullptr) return texte;
  for (QTreeWidgetItemIterator it(liste_); *it != nullptr; ++it) {
    const QTreeWidgetItem* ligne = *it;
    if (selection && !ligne->isSelected()) continue;
    QStringList colonnes;
    for (int c = 0; c < liste_->columnCount(); ++c) colonnes << ligne->text(c);
    while (colonnes.size() > 1 && colonnes.back().isEmpty()) colonnes.removeLast();
    texte += colonnes.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  if (!selection && resume_ != nullptr) texte += resume_->text() + QLatin1Char('\n');
  return texte;
}

bool FenetreApercu::eventFilter(QObject* objet, QEvent* event) {
  if (objet == liste_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    QGuiApplication::clipboard()->setText(Texte(true));
    return true;
  }
  return QDialog::eventFilter(objet, event);
}
