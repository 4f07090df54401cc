#pragma once
// TFormOptions: the options window's logic. Seventeen check boxes and a free-mask edit box over
// the skin; validating writes "options.ini" and rebuilds PlanMenage, quitting only hides.
#include <functional>
#include <string>
#include <vector>

#include "forms/Fiche.h"
#include "platform/Drive.h"

class TFormOptions : public TFiche {
 public:
  // The window reads and writes the options of `lecteur`, which must outlive it.
  explicit TFormOptions(const os::Drive& lecteur);
  ~TFormOptions() override;
  TFormOptions(const TFormOptions&) = delete;
  TFormOptions& operator=(const TFormOptions&) = delete;

  // The window's components and their boxes (Unit2Composants.cpp).
  static const TDescription Composants;
  const TDescription& Description() const override { return Composants; }

  // The drive whose options the window edits.
  const os::Drive& Lecteur;
  // The hidden buffer holding the lines of the last composed options file.
  std::vector<std::string> MemoOptions;
  // Called by each validation once it is done: what the kit adds to the prefix then (the help
  // file, on a prefix where nothing was written before).
  std::function<void()> ApresValidation;

  // Applies the shape, reads the options file into PlanMenage, sets the boxes and the free masks.
  void FormCreate() override;
  // Validate: composes and saves the options file, marks the options validated, reloads the
  // plan and hides. A failure (thrown) leaves the file, the plan and the window as they were.
  void Shape2MouseDown(TMouseButton button);
  // Quit: hides the window; the file and the plan are untouched.
  void Shape1MouseDown(TMouseButton button);
  // Close mark: hides the window, like Shape1MouseDown.
  void Shape3MouseDown(TMouseButton button);
  // Question mark: the help action.
  void Shape4MouseDown(TMouseButton button);
  // Edit box change: nothing to do.
  void EditEffacerChange();
  // Shown modeless, by the main window.
  void Montrer();

  void MouseDown(std::string_view zone, TMouseButton bouton) override;
  void Change(std::string_view edition) override;
  // Closing only hides, as the close mark does.
  void CloseQuery() override;
};

// The program's options window, made at start-up after the main window.
extern TFormOptions* FormOptions;
