#pragma once
// The user's common choices (prefixes/Choix.h), taken by every prefix without validated options
// of its own: the seventeen boxes with the options window's labels, the free masks, and whether
// the mask passes also take saves and game folders, and the keep list (« Toujours gardés »: what
// no run takes, in one prefix or in every one), whose selected elements « Ne plus garder »
// takes out. Enregistrer saves them (EnregistrerChoix) and
// closes; a refused mask is said in the window, which stays open with nothing saved. Opened on a
// prefix that has options of its own, it also offers to forget them (OublierOptions: the prefix
// then takes the common choices), or to make them the common choices (saved at once, the
// window's boxes showing them).
#include <array>
#include <filesystem>
#include <optional>

#include "kits/qt/DialoguePrefixe.h"
#include "prefixes/Choix.h"
#include "prefixes/Prefixe.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class FenetreChoixCommuns : public DialoguePrefixe {
  Q_OBJECT
 public:
  // `maison`: where the choices are kept; `prefixe`: a prefix with options of its own, or none.
  FenetreChoixCommuns(const Maison& maison, std::optional<Prefixe> prefixe,
                      QWidget* parent = nullptr);

  // Box `i` (0 to 16, in the order of the options window's boxes).
  QCheckBox* Case(std::size_t i) const { return cases_.at(i); }
  QLineEdit* Masques() const { return masques_; }
  QCheckBox* Sauvegardes() const { return sauvegardes_; }
  // The keep list, one row an element (TexteGarde), and what takes the selected ones out.
  QListWidget* Gardes() const { return gardes_; }
  QPushButton* BoutonNePlusGarder() const { return nePlusGarder_; }
  // What went wrong (a refused mask, a file that could not be read or written), or empty.
  QLabel* Erreur() const { return erreur_; }
  QPushButton* BoutonEnregistrer() const { return enregistrer_; }
  // Nothing without a prefix.
  QPushButton* BoutonOublier() const { return oublier_; }
  QPushButton* BoutonCommuns() const { return communs_; }

  // The choices as the window shows them; shows `choix`.
  ChoixCommuns Choix() const;
  void Montrer(const ChoixCommuns& choix);

  // Saves the choices shown; true when they were (the window then closes).
  bool Enregistrer();
  // Takes the selected elements out of the keep list shown.
  void NePlusGarder();
  // Drops the prefix's own options.
  void Oublier();
  // Saves the prefix's own choices as the common ones (with the saves' box as shown).
  void EnFaireLesCommuns();

 signals:
  // The common choices were saved.
  void Enregistres();
  // The prefix's own options were dropped.
  void Oublies(const std::filesystem::path& dossier);

 private:
  // Shows `texte` as the failure, or hides it.
  void Dire(const QString& texte);

  const Maison maison_;
  const std::optional<Prefixe> prefixe_;
  std::array<QCheckBox*, 17> cases_{};
  QLineEdit* masques_ = nullptr;
  QCheckBox* sauvegardes_ = nullptr;
  QListWidget* gardes_ = nullptr;
  QPushButton* nePlusGarder_ = nullptr;
  // The keep list shown, in the order of gardes_'s rows.
  std::vector<ElementGarde> elements_;
  QLabel* erreur_ = nullptr;
  QLabel* propres_ = nullptr;
  QPushButton* enregistrer_ = nullptr;
  QPushButton* oublier_ = nullptr;
  QPushButton* communs_ = nullptr;
};
