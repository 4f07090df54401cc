#pragma once
// The user's keep list (« Toujours garder »): files and folders that no run and no preview ever
// takes, in one prefix or in every prefix, kept with the common choices (Choix.h). Each is a
// Windows path of drive C, resolved through the prefix's drive when a run starts (cleaning/
// Gardes.h): the case of the disk and the registry's spelling do not matter, and a path that no
// longer leads anywhere keeps nothing.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/Apercu.h"

struct ElementGarde {
  // The prefix folder; empty: every prefix.
  std::filesystem::path prefixe;
  // Its Windows path in drive C ("C:\users\steamuser\Documents\notes.txt").
  std::string chemin;
  friend bool operator==(const ElementGarde&, const ElementGarde&) = default;
};

// A path that cannot be kept (the French message names it).
class ErreurGarde : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The element a user names: a Windows path of drive C ("C:\..." or "c:/...") is kept in every
// prefix; any other text is a host path (relative to the current folder) inside the drive_c of a
// prefix, kept in that prefix. `existant`: the host path must exist. A drive root, a path outside
// any prefix's drive C or a name holding "\" is refused. Throws ErreurGarde.
ElementGarde ElementGardeDe(std::string_view texte, bool existant);

// The element that keeps the file `fichier` of a preview of the prefix `prefixe` in that prefix,
// its path spelled as on disk where the preview found it there.
ElementGarde GardeDuFichier(const std::filesystem::path& prefixe, const FichierApercu& fichier);

// The Windows paths `gardes` keeps in the prefix `prefixe`: those of every prefix, and those of
// that folder whatever path reaches it (its identity).
std::vector<std::string> CheminsGardes(const std::vector<ElementGarde>& gardes,
                                       const std::filesystem::path& prefixe);

// Adds `element` unless it is there already (the same prefix folder, the same path without
// regard to case); true when it was added.
bool AjouterGarde(std::vector<ElementGarde>& gardes, ElementGarde element);
// Removes the elements that are `element`; how many went.
std::size_t RetirerGarde(std::vector<ElementGarde>& gardes, const ElementGarde& element);

// The element as a person gives it back: the host path of one prefix's element, the Windows path
// of an element of every prefix.
std::string TexteGarde(const ElementGarde& element);

// The section "[Garder]" of the choices file, one line an element ("" when there is none):
// "Garde=<prefix folder, or *>|<Windows path>", "%", "|" and control characters written "%XX".
std::string SectionGardes(const std::vector<ElementGarde>& gardes);
// The elements of that section of `texte`, the choices file `fichier`; none without the
// section. Throws ErreurChoix naming the file and the line of an element it cannot read.
std::vector<ElementGarde> LireGardes(std::string_view texte, const std::string& fichier);
