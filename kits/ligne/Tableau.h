#pragma once
// The list of prefixes as the command line prints it: a table for a person, tab-separated lines
// or a JSON document for a program.
#include <string>
#include <vector>

#include "prefixes/Prefixe.h"

// Largest first (an unmeasured prefix last), then by name and path.
void TrierParTaille(std::vector<Prefixe>& prefixes);

// A header and one aligned line a prefix: name, origin, size, state ("libre", "occupé", "jeu
// désinstallé"), path. Control characters are shown as "?" (a name never drives the terminal).
std::string Tableau(const std::vector<Prefixe>& prefixes);

// A header line, then one line a prefix: chemin, origine, appid, nom, octets ("inconnue" when
// not measured), etat ("libre" or "occupe"), programme and pid of the process using it (empty
// when free), desinstalle ("oui" or "non"); fields separated by tabs, written as Tsv() writes
// them.
std::string LignesTsv(const std::vector<Prefixe>& prefixes);

// The same as a JSON array of objects with those names; octets is null when not measured,
// processus null when free.
std::string DocumentJson(const std::vector<Prefixe>& prefixes);

// A field of a tab-separated line: "\\", a tab, a line feed and a carriage return written "\\\\",
// "\\t", "\\n", "\\r", any other control character (C0, DEL, C1) and any byte that begins no
// UTF-8 character "\\xHH" for each of its bytes.
std::string Tsv(std::string_view texte);
