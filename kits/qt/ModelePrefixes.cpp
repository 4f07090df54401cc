#include "kits/qt/ModelePrefixes.h"

#include <QApplication>
#include <QPalette>

#include "prefixes/Octets.h"

ModelePrefixes::ModelePrefixes(std::vector<Prefixe> prefixes, QObject* parent)
    : QAbstractTableModel(parent), prefixes_(std::move(prefixes)) {}

std::vector<std::filesystem::path> ModelePrefixes::Dossiers() const {
  std::vector<std::filesystem::path> dossiers;
  for (const Prefixe& p : prefixes_) dossiers.push_back(p.chemin);
  return dossiers;
}

void ModelePrefixes::MettreTaille(int ligne, std::uint64_t taille) {
  if (ligne < 0 || ligne >= rowCount()) return;
  prefixes_[static_cast<std::size_t>(ligne)].taille = taille;
  emit dataChanged(index(ligne, kTaille), index(ligne, kTaille));
}

void ModelePrefixes::MettreUtilisateur(int ligne, std::optional<os::PrefixUser> utilisateur) {
  if (ligne < 0 || ligne >= rowCount()) return;
  prefixes_[static_cast<std::size_t>(ligne)].utilisateur = std::move(utilisateur);
  emit dataChanged(index(ligne, 0), index(ligne, kNbColonnes - 1));
}

int ModelePrefixes::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(prefixes_.size());
}

int ModelePrefixes::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kNbColonnes;
}

QVariant ModelePrefixes::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Prefixe& p = At(index.row());
  const QString dossier = QString::fromStdString(p.chemin.string());
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kNom: return QString::fromStdString(p.nom);
        case kOrigine: return LibelleOrigine(p.origine);
        case kTaille:
          return p.taille ? QString::fromStdString(TailleLisible(*p.taille)) : QStringLiteral("…");
        case kEtat: return LibelleEtat(p);
        case kDossier: return dossier;
      }
      return {};
    case kCle:
      switch (index.column()) {
        case kTaille:
          // Not yet measured: below every measured size.
          return p.taille ? QVariant(static_cast<qlonglong>(*p.taille)) : QVariant(qlonglong{-1});
        case kEtat: return p.utilisateur ? 1 : 0;
        default: return data(index, Qt::DisplayRole);
      }
    case Qt::ToolTipRole:
      return p.utilisateur ? dossier + QStringLiteral("\n") + LibelleEtat(p) : dossier;
    case Qt::ForegroundRole:
      if (p.utilisateur) return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kTaille) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
  }
  return {};
}

QVariant ModelePrefixes::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  switch (section) {
    case kNom: return QStringLiteral("Nom");
    case kOrigine: return QStringLiteral("Origine");
    case kTaille: return QStringLiteral("Taille");
    case kEtat: return QStringLiteral("État");
    case kDossier: return QStringLiteral("Dossier");
  }
  return {};
}

QString LibelleOrigine(Origine origine) {
  switch (origine) {
    case Origine::Wine: return QStringLiteral("Wine");
    case Origine::Steam: return QStringLiteral("Steam");
    case Origine::Lutris: return QStringLiteral("Lutris");
    case Origine::Heroic: return QStringLiteral("Heroic");
    case Origine::Bottles: return QStringLiteral("Bottles");
  }
  return {};
}

QString LibelleEtat(const Prefixe& prefixe) {
  if (!prefixe.utilisateur) return QStringLiteral("libre");
  const os::PrefixUser& u = *prefixe.utilisateur;
  const QString processus = u.pid > 0 ? QStringLiteral("processus %1").arg(u.pid)
                                      : QStringLiteral("processus inconnu");
  return QStringLiteral("occupé par %1 (%2)").arg(QString::fromStdString(u.program), processus);
}
