#pragma once
// What names the prefix to work on, as a user types it: a prefix's folder, the
// compatdata/<appid> folder holding one as "pfx", the drive_c of one, a Steam game's number or
// a game's name as the launchers know it.
#include <stdexcept>
#include <string_view>
#include <vector>

#include "prefixes/Prefixe.h"

// A target that names no prefix, or several (the French message names the candidates).
class ErreurCible : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A folder named as a prefix: a real folder drive_c and a registry file, system.reg or, in the
// program's own prefix, user.reg (never links).
bool EstPrefixe(const std::filesystem::path& dossier);

// The prefix `cible` names among `connus` (the prefixes found): an existing folder first (never
// created; a prefix nobody lists is taken as a plain Wine prefix, named after its folder); else,
// when it is all digits, the Steam game of that number; else the prefix of that name, told apart
// without regard to case, the only one whose name holds it when none is called so. Throws
// ErreurCible.
Prefixe TrouverCible(std::string_view cible, const std::vector<Prefixe>& connus);
