#pragma once
// The confirmation before a cleaning, and the cleaning itself. The list shows the preview of each
// prefix chosen, grouped by prefix then by what takes the files, with a check box on each prefix,
// each group and each file (unchecked: left where it is); below them, apart and never deletable
// from here, the protected files a run leaves; and the registry values and empty folders a run
// also removes; and apart too, what the user keeps for good. « Toujours garder » keeps the
// selected files (else those unchecked) for good in their prefix (GarderToujours): they are then
// shown as kept and left by the runs. What is checked adds up on one line below the list.
// Nettoyer runs each checked
// prefix in turn (NettoyagePrefixe, the unchecked files left out), each with a progress bar (its
// files done against the preview's count); Stopper stops the run under way and those after it.
// The window stays open, saying what each run came to.
//
// The runs happen in this window's thread, not in one of their own: a run is not made to be
// shared between threads (its window calls, Stopper and its counters are plain data, and the
// options it reads are the windows' too), while its drain, the scanner's TraiterMessages called
// before every file and after every folder, can let the event queue through, as the skinned
// window's does. Here it does so at most every few milliseconds (the progress bar with it), so
// that the window answers at once, Stopper included, at no cost to the run. Meanwhile the list
// and Nettoyer are disabled, and closing the window stops the runs and waits for the one under
// way to end before it closes.
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kits/qt/ApercusEnFond.h"
#include "kits/qt/DialoguePrefixe.h"
#include "prefixes/Choix.h"
#include "prefixes/NettoyagePrefixe.h"

class NettoyagePrefixe;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class FenetreNettoyage : public DialoguePrefixe {
  Q_OBJECT
 public:
  // `apercus`: fresh previews of the prefixes (ApercuDuPrefixe::prefixe gives each one and its
  // state: one in use is left unchecked); `choix`: the common choices they were made with, which
  // the runs take too; `maison`: where they are kept.
  FenetreNettoyage(std::vector<ApercuPartage> apercus, ChoixCommuns choix, Maison maison,
                   QWidget* parent = nullptr);
  ~FenetreNettoyage() override;

  QTreeWidget* Liste() const { return liste_; }
  // What is checked, on one line.
  QLabel* Total() const { return total_; }
  QPushButton* BoutonNettoyer() const { return nettoyer_; }
  QPushButton* BoutonStopper() const { return stopper_; }
  QPushButton* BoutonGarder() const { return garder_; }
  std::size_t NbPrefixes() const { return prefixes_.size(); }
  // The preview of prefix number `i`, as the window was given it.
  const ApercuDuPrefixe& ApercuDe(std::size_t i) const { return *prefixes_.at(i).apercu; }
  // The row of prefix number `i`, and that of its file `chemin` ("C:\...", as the preview
  // spells it; nothing when it is not listed as one to delete).
  QTreeWidgetItem* ElementPrefixe(std::size_t i) const;
  QTreeWidgetItem* ElementFichier(std::size_t i, const std::string& chemin) const;
  // The files of prefix `i` left out: those unchecked, as the run holds them.
  std::set<FichierRepere> Laisses(std::size_t i) const;
  // Prefix `i` is to be cleaned: checked, even in part.
  bool Choisi(std::size_t i) const;
  QProgressBar* Barre(std::size_t i) const;
  // What the run of prefix `i` came to, once it ran; the text shown beside its bar.
  const std::optional<BilanNettoyage>& Bilan(std::size_t i) const;
  QString Etat(std::size_t i) const;
  bool EnCours() const { return enCours_; }

  // Runs the chosen prefixes in turn; returns once they are done or stopped.
  void Nettoyer();
  // Stops the run under way; those not yet begun do not begin.
  void Stopper();
  // Keeps the selected files for good, else those unchecked; says why when they cannot be.
  void ToujoursGarder();
  // While a run is under way: Stopper, then closes once it is over.
  void reject() override;

 signals:
  // A run on the prefix `dossier` is over (done, stopped or refused): it is to be looked at
  // again.
  void Nettoye(const std::filesystem::path& dossier);
  // Files of the prefix `dossier` are now kept for good: the common choices changed.
  void Gardes(const std::filesystem::path& dossier);
  // The runs begin; they are over.
  void Debut();
  void Fin();

 private:
  // One prefix: its preview, its row, its progress.
  struct Ligne {
    ApercuPartage apercu;
    QTreeWidgetItem* element = nullptr;
    std::vector<QTreeWidgetItem*> groupes;  // one a reason, checkable
    QProgressBar* barre = nullptr;
    QLabel* etat = nullptr;
    std::optional<BilanNettoyage> bilan;
  };

  // After a change of `element`'s box: the boxes of the prefix's row and groups follow, and the
  // total.
  void Coche(QTreeWidgetItem* element);
  void Recompter();
  // One run, on prefix `i`.
  void Lancer(std::size_t i);
  void Boutons();

  std::vector<Ligne> prefixes_;
  ChoixCommuns choix_;
  const Maison maison_;
  QTreeWidget* liste_ = nullptr;
  QLabel* total_ = nullptr;
  QLabel* explication_ = nullptr;
  QPushButton* nettoyer_ = nullptr;
  QPushButton* stopper_ = nullptr;
  QPushButton* garder_ = nullptr;
  QPushButton* fermer_ = nullptr;
  bool miseAJour_ = false;
  bool enCours_ = false;
  bool arret_ = false;
  bool fermerApres_ = false;
  NettoyagePrefixe* courant_ = nullptr;
};
