#pragma once
// The window that chooses a prefix: every Wine and Proton prefix of the user in a sortable table
// (name, origin, size, state, folder), their sizes filled in as a thread measures them. Aperçu
// shows what a run with the prefix's validated options would do there; Ouvrir asks for the
// skinned windows on it. A prefix in use is greyed, the process using it named, and cannot be
// opened.
#include <QDialog>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <optional>

#include "prefixes/Maison.h"

class FenetreApercu;
class MesureTailles;
class ModelePrefixes;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

class FenetreChoix : public QDialog {
  Q_OBJECT
 public:
  // Finds the prefixes of `maison` and who uses them, then starts measuring their sizes.
  explicit FenetreChoix(const Maison& maison, QWidget* parent = nullptr);
  ~FenetreChoix() override;

  QTableView* Table() const { return table_; }
  ModelePrefixes* Modele() const { return modele_; }
  QPushButton* BoutonApercu() const { return apercu_; }
  QPushButton* BoutonOuvrir() const { return ouvrir_; }
  // What the window says of the chosen prefix (its folder, and why it cannot be opened).
  QLabel* Detail() const { return detail_; }
  // The preview shown last, while it is open.
  FenetreApercu* DernierApercu() const;

  // The row of the model chosen in the table, if any.
  std::optional<int> LigneChoisie() const;
  // Chooses the prefix of the model's row `ligne`.
  void Choisir(int ligne);

  // The preview of the chosen prefix as it stands, computed here (a wait cursor meanwhile) and
  // shown in a window of its own.
  void MontrerApercu();
  // Looks again whether the chosen prefix is in use; when it is not, emits Ouvrir. A failure is
  // shown in the error box.
  void OuvrirChoisi();
  // Looks again which prefixes are in use: done whenever the window becomes the active one, as
  // when the user comes back from closing a game.
  void RevoirOccupation();

 signals:
  // The skinned windows are asked for on the prefix `dossier`.
  void Ouvrir(const std::filesystem::path& dossier);

 protected:
  bool event(QEvent* event) override;

 private:
  // The buttons and the detail follow the chosen prefix.
  void Actualiser();

  ModelePrefixes* modele_ = nullptr;
  QSortFilterProxyModel* tri_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* detail_ = nullptr;
  QPushButton* apercu_ = nullptr;
  QPushButton* ouvrir_ = nullptr;
  QPointer<FenetreApercu> dernierApercu_;
  std::unique_ptr<MesureTailles> mesure_;
};
