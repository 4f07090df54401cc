#pragma once
// The prefixes as a table: name, origin, size, state and folder, one row a prefix. A prefix in
// use is shown greyed, its state saying which process holds it. Each cell gives a sort key
// (kCle): sizes sort by bytes, a size not yet measured below every measured one.
#include <QAbstractTableModel>
#include <cstdint>
#include <optional>
#include <vector>

#include "prefixes/Prefixe.h"

class ModelePrefixes : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Colonne { kNom, kOrigine, kTaille, kEtat, kDossier, kNbColonnes };
  // The role of the sort keys.
  static constexpr int kCle = Qt::UserRole;

  explicit ModelePrefixes(std::vector<Prefixe> prefixes, QObject* parent = nullptr);

  const Prefixe& At(int ligne) const { return prefixes_.at(static_cast<std::size_t>(ligne)); }
  const std::vector<Prefixe>& Prefixes() const { return prefixes_; }
  // The prefixes' folders, in the rows' order.
  std::vector<std::filesystem::path> Dossiers() const;
  // The size of the prefix of row `ligne` is known.
  void MettreTaille(int ligne, std::uint64_t taille);
  // Who uses the prefix of row `ligne` now (nothing: no one).
  void MettreUtilisateur(int ligne, std::optional<os::PrefixUser> utilisateur);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<Prefixe> prefixes_;
};

// The origin as the window shows it: "Steam", "Wine"...
QString LibelleOrigine(Origine origine);
// "occupé par wineserver (processus 1234)", or "libre".
QString LibelleEtat(const Prefixe& prefixe);
