#pragma once
// Every prefix of the user, each once, with what is known of it.
#include <string>
#include <vector>

#include "prefixes/Maison.h"
#include "prefixes/Prefixe.h"

struct Recherche {
  std::vector<Prefixe> prefixes;
  std::vector<std::string> avertissements;  // launcher files that could not be read, in French
};

// The prefixes the launchers name (Steam, Lutris, Heroic, Bottles, then plain Wine, in that
// order): only folders that are prefixes (os::winePrefixId), each once however many paths reach
// it, the first one kept. Neither their sizes nor their users are looked for.
Recherche TrouverPrefixes(const Maison& maison);

// Where TrouverPrefixes looks, to tell a user who has none: for each launcher, the folders its
// files or its prefixes are looked for in (those that do not exist included), in the order it
// looks. Steam's libraries elsewhere are those its own files name; a launcher's settings may name
// more.
struct LieuxDUnLanceur {
  Origine origine;
  std::vector<std::filesystem::path> dossiers;
};
std::vector<LieuxDUnLanceur> LieuxCherches(const Maison& maison);

// Fills in the process using each prefix, looking at the processes once for all.
void ChercherUtilisateurs(std::vector<Prefixe>& prefixes);
