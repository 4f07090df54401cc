#pragma once
// The previews of several prefixes at once: each prefix is its own drive, so their previews run
// side by side, one thread a core; a prefix's own preview keeps its run's order.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleaning/Apercu.h"
#include "prefixes/Choix.h"
#include "prefixes/Prefixe.h"

// The preview of one prefix, or why there is none.
struct ApercuDuPrefixe {
  Prefixe prefixe;
  bool choixPropres = false;     // its own validated options, else the common choices
  std::optional<Apercu> apercu;  // nothing when the prefix could not be previewed
  std::string erreur;            // then why, in French
};

// The previews of `prefixes` with their own options or `choix`, in the order of `prefixes`.
// `chacun(i, apercu)` is called as each is done, from the thread that made it (while the others
// go on); once `*arret` is true, no further preview starts. `fils`: the threads at most (0: one
// a core).
std::vector<ApercuDuPrefixe> ApercevoirTous(
    const std::vector<Prefixe>& prefixes, const ChoixCommuns& choix,
    const std::function<void(std::size_t, const ApercuDuPrefixe&)>& chacun = {},
    const std::atomic<bool>* arret = nullptr, unsigned fils = 0);

// The preview of one prefix (ApercevoirTous for one); `propre`: the program's own prefix, whose
// run protects nothing when the program made it (OuvrirPrefixe).
ApercuDuPrefixe ApercevoirUn(const Prefixe& prefixe, const ChoixCommuns& choix,
                             bool propre = false);
