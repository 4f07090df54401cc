#pragma once
// TFormOptions: the skinned options window. Seventeen check boxes and a free-mask edit box over
// the skin; validating writes "options.ini" and rebuilds PlanMenage, quitting only hides.
#include <QString>
#include <array>

#include "app/skin/FenetreHabillee.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QStyle;
class ZoneSouris;

class TFormOptions : public FenetreHabillee {
  Q_OBJECT
 public:
  // Builds the hidden window and runs FormCreate (loads the options file into PlanMenage).
  explicit TFormOptions(QWidget* parent = nullptr);
  ~TFormOptions() override;

  // Components, bottom to top: the zones, then the boxes and the edit box.
  ZoneSouris* Shape1;  // "QUITTER"
  ZoneSouris* Shape2;  // "VALIDER"
  ZoneSouris* Shape3;  // close mark
  ZoneSouris* Shape4;  // question mark
  QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7,
      *CheckBox8, *CheckBox9, *CheckBox10, *CheckBox11, *CheckBox12, *CheckBox13, *CheckBox14,
      *CheckBox15, *CheckBox16, *CheckBox17;
  QLineEdit* EditEffacer;
  // Hidden buffer holding the lines of the last composed options file.
  QPlainTextEdit* MemoOptions;

  // The seventeen boxes in choice order (CheckBox1 first).
  const std::array<QCheckBox*, 17>& CasesACocher() const { return cases_; }

  // Applies the shape, reads the options file into PlanMenage, sets the boxes and the free masks.
  void FormCreate();
  // Validate: composes and saves the options file, marks the options validated, reloads the
  // plan and hides. A failure (thrown) leaves the file, the plan and the window as they were.
  void Shape2MouseDown(Qt::MouseButton button);
  // Quit: hides the window; the file and the plan are untouched.
  void Shape1MouseDown(Qt::MouseButton button);
  // Close mark: hides the window, like Shape1MouseDown.
  void Shape3MouseDown(Qt::MouseButton button);
  // Question mark: the help action.
  void Shape4MouseDown(Qt::MouseButton button);
  // Edit box change: nothing to do.
  void EditEffacerChange();

 protected:
  // A press on the skin itself drags the window.
  void Image1MouseDown(QMouseEvent* event) override;

 private:
  std::array<QCheckBox*, 17> cases_{};
  QStyle* styleCases_ = nullptr;
};

// The program's options window, made at start-up after the main window.
extern TFormOptions* FormOptions;
