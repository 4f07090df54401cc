#pragma once
// TFiche: the logic of one skinned window, free of any toolkit. A kit builds the window from
// Description(), binds it with Attacher(), runs FormCreate() and routes the user's actions to
// the handlers below, each inside its failure boundary; the form answers through IFenetre.
#include <string_view>

#include "forms/Description.h"
#include "forms/Fenetre.h"

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

class TFiche {
 public:
  virtual ~TFiche() = default;
  virtual const TDescription& Description() const = 0;
  void Attacher(IFenetre* fenetre) noexcept { fenetre_ = fenetre; }

  // The window has been made.
  virtual void FormCreate() = 0;
  // A press of `bouton` on the zone named `zone`.
  virtual void MouseDown(std::string_view zone, TMouseButton bouton) = 0;
  // Key preview: a character typed anywhere in the window, before its controls see it; true
  // when it goes no further.
  virtual bool KeyPress(char32_t) { return false; }
  // The text of the edit box `edition` changed.
  virtual void Change(std::string_view) {}
  // The window system asks to close the window (a close button, a key, a tool).
  virtual void CloseQuery() = 0;
  // The window was destroyed from outside: it is gone, nothing can be shown in it any more.
  virtual void Destroy() {}

 protected:
  // The bound window; throws std::logic_error before Attacher().
  IFenetre& Fenetre() const;

 private:
  IFenetre* fenetre_ = nullptr;
};
