#pragma once
// The window where a Linux user cleans: every Wine and Proton prefix of the user in a sortable
// table, largest to free first (ModelePrefixes), the rows shown at once and what a run would free
// in each (« À libérer ») filled in as the previews come, made in the background with the
// prefix's own options or the user's common choices read through the window's Maison, several at
// once, abandoned when the window closes.
//
// « Nettoyer… » takes the checked rows (else the chosen one): fresh previews of them, then the
// confirmation (FenetreNettoyage), where the runs happen; the rows it cleaned are looked at
// again. « Aperçu… » shows the fresh preview of the chosen row; « Choix… » edits the common
// choices (FenetreChoixCommuns, on the chosen prefix when it has its own); « Ouvrir un dossier… »
// adds a prefix from an unusual place (TrouverCible); « Actualiser » (F5) finds the prefixes
// again and previews them all. Which prefixes are in use is looked at every few seconds and
// whenever the window becomes the active one: a row whose state changed is previewed again.
// Ouvrir asks for the skinned windows on the chosen prefix; a prefix in use is greyed, the process
// using it named, and cannot be opened. With no prefix found, the window names the places it
// looked in.
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "kits/qt/ApercusEnFond.h"
#include "kits/qt/ModelePrefixes.h"
#include "kits/qt/DialoguePrefixe.h"
#include "prefixes/Choix.h"
#include "prefixes/Maison.h"

class FenetreApercu;
class FenetreChoixCommuns;
class FenetreNettoyage;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class TriPrefixes;

class FenetreChoix : public DialoguePrefixe {
  Q_OBJECT
 public:
  // Finds the prefixes of `maison` and who uses them, then starts their previews.
  explicit FenetreChoix(const Maison& maison, QWidget* parent = nullptr);
  // Abandons the previews, waiting only for those under way.
  ~FenetreChoix() override;

  QTableView* Table() const { return table_; }
  ModelePrefixes* Modele() const { return modele_; }
  QPushButton* BoutonNettoyer() const { return nettoyer_; }
  QPushButton* BoutonApercu() const { return apercu_; }
  QPushButton* BoutonOuvrir() const { return ouvrir_; }
  QPushButton* BoutonChoix() const { return choix_; }
  QPushButton* BoutonDossier() const { return dossier_; }
  QPushButton* BoutonActualiser() const { return actualiser_; }
  // What the window says of the chosen prefix (its folder, and why it cannot be opened).
  QLabel* Detail() const { return detail_; }
  // The places looked in, shown when no prefix was found.
  QLabel* Lieux() const { return lieux_; }
  // The dialogs shown last, while they are open.
  FenetreApercu* DernierApercu() const;
  FenetreNettoyage* DerniereConfirmation() const;
  FenetreChoixCommuns* DerniersChoix() const;
  // The common choices the previews take now.
  const ChoixCommuns& ChoixEnCours() const { return choixCommuns_; }

  // The row of the model chosen in the table, if any.
  std::optional<int> LigneChoisie() const;
  // Chooses the prefix of the model's row `ligne`.
  void Choisir(int ligne);
  // The rows « Nettoyer… » takes: the checked ones, else the chosen one.
  std::vector<int> LignesANettoyer() const;
  // Fresh previews are being made for a dialog, or a cleaning runs: the buttons wait.
  bool Occupee() const;

  // The fresh previews of LignesANettoyer(), then the confirmation, shown when they are made.
  void Nettoyer();
  // The fresh preview of the chosen prefix, then shown in a window of its own (a preview that
  // cannot be made is told in the error box).
  void MontrerApercu();
  // The common choices' window.
  void MontrerChoix();
  // Looks again whether the chosen prefix is in use; when it is not, emits Ouvrir. A failure is
  // shown in the error box.
  void OuvrirChoisi();
  // Asks for a folder, then AjouterDossier.
  void OuvrirDossier();
  // The prefix the folder `dossier` is (or holds as "pfx", or is the drive C of) is chosen,
  // added to the list when it was not there (and kept through a refresh). Throws ErreurCible.
  void AjouterDossier(const std::filesystem::path& dossier);
  // Finds the prefixes again, who uses them, and previews them all.
  void Actualiser();
  // Looks again which prefixes are in use; a row whose state changed is previewed again.
  void RevoirOccupation();
  // While a run is under way in the confirmation, stops it instead: the window stays.
  void reject() override;

 signals:
  // The skinned windows are asked for on the prefix `prefixe`.
  void Ouvrir(const Prefixe& prefixe);

 protected:
  bool event(QEvent* event) override;

 private:
  // The buttons and the detail follow the chosen prefix.
  void Suivre();
  // Reads the common choices (the defaults, said in the error box, when they cannot be read).
  void LireChoix();
  // The prefixes found, their launchers' warnings kept.
  std::vector<Prefixe> Trouver();
  void MontrerLieux();
  // Background previews of the rows `lignes`, their « À libérer » unknown until they come.
  // `ensuite`, when given, gets the whole previews once they are all made.
  void Apercevoir(const std::vector<int>& lignes,
                  std::function<void(std::vector<ApercuPartage>)> ensuite = {});
  // The summaries of the previews made since the last time, shown.
  void Verser();

  const Maison maison_;
  ChoixCommuns choixCommuns_;
  ModelePrefixes* modele_ = nullptr;
  TriPrefixes* tri_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* detail_ = nullptr;
  QLabel* lieux_ = nullptr;
  QLabel* avertissements_ = nullptr;
  QPushButton* nettoyer_ = nullptr;
  QPushButton* apercu_ = nullptr;
  QPushButton* ouvrir_ = nullptr;
  QPushButton* choix_ = nullptr;
  QPushButton* dossier_ = nullptr;
  QPushButton* actualiser_ = nullptr;
  QTimer* occupation_ = nullptr;
  // The summaries made and not yet shown, and when they will be.
  std::vector<ModelePrefixes::Versement> versements_;
  QTimer* versement_ = nullptr;
  QPointer<FenetreApercu> dernierApercu_;
  QPointer<FenetreNettoyage> derniereConfirmation_;
  QPointer<FenetreChoixCommuns> derniersChoix_;
  // Previews being made for a dialog.
  int preparations_ = 0;
  bool nettoyage_ = false;
  // Folders added by hand, kept through a refresh.
  std::vector<std::filesystem::path> ajoutes_;
};
