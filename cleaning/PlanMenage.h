#pragma once
// What the next cleaning run cleans. An empty entry is not selected.
#include <array>
#include <string>

struct TPlanMenage {
  // Cache, History, Recent, Cookies, Temp, Sbdr.
  std::array<std::string, 6> TableDossiers;
  // DocFind, TypedURL: registry key paths.
  std::array<std::string, 2> TableRegistre;
  // xt1..xt20: xt1..xt9 built-in masks, xt10 always empty, xt11..xt20 the user's masks.
  std::array<std::string, 20> TableMotifs;
  // Set by the first validation of the options; a run refuses to start before.
  bool OptionsValidees = false;

  // Empties every entry (OptionsValidees is left alone).
  void Clear();
};

// The program-wide plan.
extern TPlanMenage PlanMenage;
