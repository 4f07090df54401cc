#pragma once
// The prefixes as a table, one row a prefix: a check box and the name, the origin, what a run
// would free there (« À libérer », from a preview with the prefix's choices), whose choices those
// are, the state and the folder. A prefix in use is shown greyed, its state saying which process
// holds it. Each cell gives a sort key (kCle); TriPrefixes sorts on it, largest to free first.
//
// The row's preview is asked for (Demander, which gives a ticket) and its summary given back with
// that ticket (MettreApercus, several rows at once): a summary of an older ticket, one asked for
// before the prefix changed, is dropped.
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cleaning/Apercu.h"
#include "prefixes/Prefixe.h"

// What a preview found in a prefix, as the list shows it.
struct ResumeApercu {
  std::uint64_t nbFichiers = 0, taille = 0, nbProteges = 0, tailleProtegee = 0;
  bool choixPropres = false;  // the prefix's own validated options, else the common choices
  std::string erreur;         // not empty: no preview, and why (French)

  // The summary of a preview (`erreur` empty), or of none.
  static ResumeApercu De(const Apercu& apercu, bool choixPropres);
  static ResumeApercu Erreur(std::string pourquoi);
};

class ModelePrefixes : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Colonne { kNom, kOrigine, kALiberer, kChoix, kEtat, kDossier, kNbColonnes };
  // The role of the sort keys.
  static constexpr int kCle = Qt::UserRole;

  explicit ModelePrefixes(std::vector<Prefixe> prefixes, QObject* parent = nullptr);

  const Prefixe& At(int ligne) const { return lignes_.at(static_cast<std::size_t>(ligne)).prefixe; }
  std::vector<Prefixe> Prefixes() const;
  // The prefixes' folders, in the rows' order.
  std::vector<std::filesystem::path> Dossiers() const;
  // The row of the prefix whose folder is `dossier` (the path the row gives).
  std::optional<int> Ligne(const std::filesystem::path& dossier) const;
  // The row of the prefix `prefixe`: the same folder (os::FileId) whatever path reaches it.
  std::optional<int> Ligne(const Prefixe& prefixe) const;

  // Replaces the rows by `prefixes`; a prefix already listed keeps its check mark.
  void Remplacer(std::vector<Prefixe> prefixes);
  // Adds a row; returns it.
  int Ajouter(Prefixe prefixe);

  // The row's « À libérer » becomes unknown until the summary of the ticket returned comes.
  unsigned Demander(int ligne);
  // The summary of a row's preview asked for with `ticket`.
  struct Versement {
    int ligne;
    unsigned ticket;
    ResumeApercu resume;
  };
  // Each summary is shown unless its ticket is not its row's latest; the rows change at once.
  void MettreApercus(std::vector<Versement> versements);
  // The summary shown for the row, when known.
  const std::optional<ResumeApercu>& Resume(int ligne) const;
  // Every row's « À libérer » is known.
  bool TousConnus() const;

  // Who uses the prefix of row `ligne` now (nothing: no one). Returns whether that changed
  // (another process, or in use where it was free or the reverse).
  bool MettreUtilisateur(int ligne, std::optional<os::PrefixUser> utilisateur);

  // The rows checked, in the rows' order.
  std::vector<int> Coches() const;
  void Cocher(int ligne, bool coche);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct LigneModele {
    Prefixe prefixe;
    std::optional<ResumeApercu> resume;
    unsigned ticket = 0;
    bool coche = false;
  };
  std::vector<LigneModele> lignes_;
  unsigned tickets_ = 0;
};

// The rows in the order of their sort keys, a name's order between equal keys (whichever way the
// column sorts): largest to free first by default.
class TriPrefixes : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  explicit TriPrefixes(QObject* parent = nullptr);

 protected:
  bool lessThan(const QModelIndex& gauche, const QModelIndex& droite) const override;
};

// The origin as the window shows it: "Steam", "Wine"...
QString LibelleOrigine(Origine origine);
// "occupé par wineserver (processus 1234)", or "libre". The state column adds
// " — jeu désinstallé" for a Steam game no library holds any more.
QString LibelleEtat(const Prefixe& prefixe);
// Sizes and counts as the chooser and its dialogs show them: "12,3 Mo", "1 fichier", "3 fichiers".
QString TexteTaille(std::uint64_t octets);
QString TexteFichiers(std::uint64_t nombre);
// What a preview adds up to, on one line: "3 fichiers, 12,3 ko ; 1 non supprimable ; 2 fichiers
// protégés laissés en place, 40 o ; 1 fichier gardé laissé en place, 3 o" (the parts after the
// first only when not nothing).
QString TexteTotal(std::uint64_t nbFichiers, std::uint64_t taille, std::uint64_t nbEchecs,
                   std::uint64_t nbProteges, std::uint64_t tailleProtegee,
                   std::uint64_t nbGardes = 0, std::uint64_t tailleGardee = 0);
// What takes a file, as a person reads it: the label of its choice ("le contenu du répertoire
// TEMP"), or "masque *.log" for a free mask.
QString LibelleRaison(const std::string& raison);
// The title of a dialog on the prefix `nom`: « Tidora 2000 — <nom> ».
QString TitrePrefixe(const QString& nom);
