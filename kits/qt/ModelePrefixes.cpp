#include "kits/qt/ModelePrefixes.h"

#include <QApplication>
#include <QPalette>

#include "options/LibellesChoix.h"
#include "prefixes/Octets.h"

namespace {

QString Utf8(const std::string& texte) {
  return QString::fromStdString(texte);
}

// The sort key of « À libérer »: the bytes, below them a row still looked at, then one with no
// preview.
qlonglong CleALiberer(const std::optional<ResumeApercu>& r) {
  if (!r) return -1;
  if (!r->erreur.empty()) return -2;
  return static_cast<qlonglong>(r->taille);
}

}  // namespace

ResumeApercu ResumeApercu::De(const Apercu& apercu, bool choixPropres) {
  ResumeApercu r;
  r.nbFichiers = apercu.nbFichiers;
  r.taille = apercu.tailleTotale;
  r.nbProteges = apercu.proteges.size();
  r.tailleProtegee = apercu.tailleProtegee;
  r.choixPropres = choixPropres;
  return r;
}

ResumeApercu ResumeApercu::Erreur(std::string pourquoi) {
  ResumeApercu r;
  r.erreur = pourquoi.empty() ? std::string("aperçu impossible") : std::move(pourquoi);
  return r;
}

ModelePrefixes::ModelePrefixes(std::vector<Prefixe> prefixes, QObject* parent)
    : QAbstractTableModel(parent) {
  for (Prefixe& p : prefixes) lignes_.push_back({std::move(p), std::nullopt, 0, false});
}

std::vector<Prefixe> ModelePrefixes::Prefixes() const {
  std::vector<Prefixe> prefixes;
  for (const LigneModele& l : lignes_) prefixes.push_back(l.prefixe);
  return prefixes;
}

std::vector<std::filesystem::path> ModelePrefixes::Dossiers() const {
  std::vector<std::filesystem::path> dossiers;
  for (const LigneModele& l : lignes_) dossiers.push_back(l.prefixe.chemin);
  return dossiers;
}

std::optional<int> ModelePrefixes::Ligne(const std::filesystem::path& dossier) const {
  for (std::size_t i = 0; i < lignes_.size(); ++i) {
    if (lignes_[i].prefixe.chemin == dossier) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> ModelePrefixes::Ligne(const Prefixe& prefixe) const {
  for (std::size_t i = 0; i < lignes_.size(); ++i) {
    const Prefixe& p = lignes_[i].prefixe;
    if (p.chemin == prefixe.chemin || (prefixe.id != os::FileId{} && p.id == prefixe.id)) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

void ModelePrefixes::Remplacer(std::vector<Prefixe> prefixes) {
  std::vector<LigneModele> lignes;
  for (Prefixe& p : prefixes) {
    const std::optional<int> avant = Ligne(p);
    const bool coche = avant && lignes_[static_cast<std::size_t>(*avant)].coche;
    lignes.push_back({std::move(p), std::nullopt, 0, coche});
  }
  beginResetModel();
  lignes_ = std::move(lignes);
  endResetModel();
}

int ModelePrefixes::Ajouter(Prefixe prefixe) {
  const int ligne = rowCount();
  beginInsertRows({}, ligne, ligne);
  lignes_.push_back({std::move(prefixe), std::nullopt, 0, false});
  endInsertRows();
  return ligne;
}

unsigned ModelePrefixes::Demander(int ligne) {
  LigneModele& l = lignes_.at(static_cast<std::size_t>(ligne));
  l.ticket = ++tickets_;
  if (l.resume) {
    l.resume.reset();
    emit dataChanged(index(ligne, kALiberer), index(ligne, kChoix));
  }
  return l.ticket;
}

void ModelePrefixes::MettreApercus(std::vector<Versement> versements) {
  int premiere = rowCount(), derniere = -1;
  for (Versement& v : versements) {
    if (v.ligne < 0 || v.ligne >= rowCount()) continue;
    LigneModele& l = lignes_[static_cast<std::size_t>(v.ligne)];
    if (l.ticket != v.ticket) continue;
    l.resume = std::move(v.resume);
    premiere = std::min(premiere, v.ligne);
    derniere = std::max(derniere, v.ligne);
  }
  if (derniere >= 0) emit dataChanged(index(premiere, kALiberer), index(derniere, kChoix));
}

const std::optional<ResumeApercu>& ModelePrefixes::Resume(int ligne) const {
  return lignes_.at(static_cast<std::size_t>(ligne)).resume;
}

bool ModelePrefixes::TousConnus() const {
  for (const LigneModele& l : lignes_) {
    if (!l.resume) return false;
  }
  return true;
}

bool ModelePrefixes::MettreUtilisateur(int ligne, std::optional<os::PrefixUser> utilisateur) {
  if (ligne < 0 || ligne >= rowCount()) return false;
  std::optional<os::PrefixUser>& u = lignes_[static_cast<std::size_t>(ligne)].prefixe.utilisateur;
  const bool change = u.has_value() != utilisateur.has_value() ||
                      (u && (u->pid != utilisateur->pid || u->program != utilisateur->program));
  u = std::move(utilisateur);
  if (change) emit dataChanged(index(ligne, 0), index(ligne, kNbColonnes - 1));
  return change;
}

std::vector<int> ModelePrefixes::Coches() const {
  std::vector<int> coches;
  for (std::size_t i = 0; i < lignes_.size(); ++i) {
    if (lignes_[i].coche) coches.push_back(static_cast<int>(i));
  }
  return coches;
}

void ModelePrefixes::Cocher(int ligne, bool coche) {
  setData(index(ligne, kNom), coche ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

int ModelePrefixes::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lignes_.size());
}

int ModelePrefixes::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kNbColonnes;
}

QVariant ModelePrefixes::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const LigneModele& l = lignes_[static_cast<std::size_t>(index.row())];
  const Prefixe& p = l.prefixe;
  const std::optional<ResumeApercu>& r = l.resume;
  const QString dossier = Utf8(p.chemin.string());
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kNom:
          return Utf8(p.nom);
        case kOrigine:
          return LibelleOrigine(p.origine);
        case kALiberer:
          if (!r) return QStringLiteral("…");
          if (!r->erreur.empty()) return QStringLiteral("pas d'aperçu");
          if (r->nbFichiers == 0) return QStringLiteral("rien");
          return QStringLiteral("%1 (%2)").arg(TexteTaille(r->taille),
                                               TexteFichiers(r->nbFichiers));
        case kChoix:
          if (!r || !r->erreur.empty()) return QStringLiteral("…");
          return r->choixPropres ? QStringLiteral("propres") : QStringLiteral("communes");
        case kEtat:
          return p.desinstalle ? LibelleEtat(p) + QStringLiteral(" — jeu désinstallé")
                               : LibelleEtat(p);
        case kDossier:
          return dossier;
      }
      return {};
    case kCle:
      switch (index.column()) {
        case kALiberer:
          return CleALiberer(r);
        case kEtat:
          return p.utilisateur ? 1 : 0;
        default:
          return data(index, Qt::DisplayRole);
      }
    case Qt::CheckStateRole:
      if (index.column() == kNom) return l.coche ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::ToolTipRole:
      switch (index.column()) {
        case kALiberer:
          if (!r) return QStringLiteral("Aperçu en cours…");
          if (!r->erreur.empty()) return Utf8(r->erreur);
          if (r->nbProteges > 0) {
            return QStringLiteral(
                       "%1, %2 ; %3 protégés (sauvegardes et dossiers de jeux) laissés "
                       "en place, %4")
                .arg(TexteFichiers(r->nbFichiers), TexteTaille(r->taille),
                     TexteFichiers(r->nbProteges), TexteTaille(r->tailleProtegee));
          }
          return QStringLiteral("%1, %2").arg(TexteFichiers(r->nbFichiers), TexteTaille(r->taille));
        case kChoix:
          if (!r || !r->erreur.empty()) return {};
          return r->choixPropres ? QStringLiteral("Ses propres choix : ses options validées")
                                 : QStringLiteral("Les choix communs (Choix…)");
        default:
          return p.utilisateur || p.desinstalle ? dossier + QStringLiteral("\n") +
                                                      data(index.siblingAtColumn(kEtat)).toString()
                                                : dossier;
      }
    case Qt::ForegroundRole:
      if (p.utilisateur) return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kALiberer) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
  }
  return {};
}

bool ModelePrefixes::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != kNom || role != Qt::CheckStateRole) return false;
  LigneModele& l = lignes_.at(static_cast<std::size_t>(index.row()));
  const bool coche = value.value<Qt::CheckState>() == Qt::Checked;
  if (l.coche == coche) return true;
  l.coche = coche;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags ModelePrefixes::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kNom) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant ModelePrefixes::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  switch (section) {
    case kNom:
      return QStringLiteral("Nom");
    case kOrigine:
      return QStringLiteral("Origine");
    case kALiberer:
      return QStringLiteral("À libérer");
    case kChoix:
      return QStringLiteral("Choix");
    case kEtat:
      return QStringLiteral("État");
    case kDossier:
      return QStringLiteral("Dossier");
  }
  return {};
}

TriPrefixes::TriPrefixes(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(ModelePrefixes::kCle);
  setSortLocaleAware(true);
  setSortCaseSensitivity(Qt::CaseInsensitive);
}

bool TriPrefixes::lessThan(const QModelIndex& gauche, const QModelIndex& droite) const {
  const QVariant a = gauche.data(ModelePrefixes::kCle), b = droite.data(ModelePrefixes::kCle);
  if (a != b) return QSortFilterProxyModel::lessThan(gauche, droite);
  // Equal keys: by name, A to Z whichever way the column sorts.
  const QString na = gauche.siblingAtColumn(ModelePrefixes::kNom).data().toString();
  const QString nb = droite.siblingAtColumn(ModelePrefixes::kNom).data().toString();
  const int c = na.localeAwareCompare(nb);
  return sortOrder() == Qt::AscendingOrder ? c < 0 : c > 0;
}

QString LibelleOrigine(Origine origine) {
  switch (origine) {
    case Origine::Wine:
      return QStringLiteral("Wine");
    case Origine::Steam:
      return QStringLiteral("Steam");
    case Origine::Lutris:
      return QStringLiteral("Lutris");
    case Origine::Heroic:
      return QStringLiteral("Heroic");
    case Origine::Bottles:
      return QStringLiteral("Bottles");
  }
  return {};
}

QString LibelleEtat(const Prefixe& prefixe) {
  QString etat = QStringLiteral("libre");
  if (prefixe.utilisateur) {
    const os::PrefixUser& u = *prefixe.utilisateur;
    const QString processus =
        u.pid > 0 ? QStringLiteral("processus %1").arg(u.pid) : QStringLiteral("processus inconnu");
    etat = QStringLiteral("occupé par %1 (%2)").arg(Utf8(u.program), processus);
  }
  return etat;
}

QString TexteTaille(std::uint64_t octets) {
  return Utf8(TailleLisible(octets));
}

QString TexteFichiers(std::uint64_t nombre) {
  return nombre > 1 ? QStringLiteral("%1 fichiers").arg(nombre)
                    : QStringLiteral("%1 fichier").arg(nombre);
}

QString TexteTotal(std::uint64_t nbFichiers, std::uint64_t taille, std::uint64_t nbEchecs,
                   std::uint64_t nbProteges, std::uint64_t tailleProtegee, std::uint64_t nbGardes,
                   std::uint64_t tailleGardee) {
  QString t = QStringLiteral("%1, %2").arg(TexteFichiers(nbFichiers), TexteTaille(taille));
  if (nbEchecs > 0) {
    t += nbEchecs > 1 ? QStringLiteral(" ; %1 non supprimables").arg(nbEchecs)
                      : QStringLiteral(" ; 1 non supprimable");
  }
  if (nbProteges > 0) {
    t += QStringLiteral(" ; %1 %2 en place, %3")
             .arg(TexteFichiers(nbProteges),
                  nbProteges > 1 ? QStringLiteral("protégés laissés")
                                 : QStringLiteral("protégé laissé"),
                  TexteTaille(tailleProtegee));
  }
  if (nbGardes > 0) {
    t += QStringLiteral(" ; %1 %2 en place, %3")
             .arg(TexteFichiers(nbGardes),
                  nbGardes > 1 ? QStringLiteral("gardés laissés") : QStringLiteral("gardé laissé"),
                  TexteTaille(tailleGardee));
  }
  return t;
}

QString LibelleRaison(const std::string& raison) {
  for (std::size_t i = 0; i < 8; ++i) {
    if (LibellesChoix[i].cle == raison) {
      QString libelle = QString::fromUtf8(LibellesChoix[i].libelle.data(),
                                          static_cast<qsizetype>(LibellesChoix[i].libelle.size()));
      if (!libelle.isEmpty()) libelle[0] = libelle[0].toUpper();
      return libelle;
    }
  }
  return QStringLiteral("Masque %1").arg(Utf8(raison));
}

QString TitrePrefixe(const QString& nom) {
  return QStringLiteral("Tidora 2000 — %1").arg(nom);
}
