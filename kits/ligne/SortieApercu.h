#pragma once
// Previews as the command line prints them: for a person, or tab-separated lines or a JSON
// document for a program.
#include <string>
#include <vector>

#include "prefixes/Apercus.h"

// For each prefix: its name, origin and folder, whose choices it takes, then each file a run
// would delete (its Windows path, its size, what takes it, and on the next line where it lies on
// the host), those in save locations and game folders first, then the protected files a run
// leaves, the registry values and the empty folders, each group under its heading and only with
// its group, the folder passes a run skips and why, and the prefix's total; the total of all
// prefixes last when there are several. One size unit (TailleLisible) throughout; a name's control
// characters shown as "?".
std::string TexteApercus(const std::vector<ApercuDuPrefixe>& apercus);

// A header line, then one line an element: prefixe (its folder), genre ("fichier", "valeur",
// "dossier", "passe" for a folder pass skipped, or "erreur" with its message in raison),
// chemin_windows, chemin_hote, octets, raison (an option's key or a mask), emplacement
// ("ailleurs", "sauvegardes", "jeux"; for a pass, the place that refused its folder: RefusDossier
// ::lieu), etat ("efface", "non_supprimable", "protege", "sautee"); fields as Tsv() writes them,
// empty where they do not apply.
std::string LignesTsvApercus(const std::vector<ApercuDuPrefixe>& apercus);

// {"prefixes": [{chemin, nom, origine, appid, choix ("propres"|"communs"), erreur (null), fichiers:
// [{windows, hote, octets, raison, emplacement, etat}], proteges: [...], valeurs: [{cle, nom}],
// dossiers: [...], passes_sautees: [{windows, raison, lieu, pourquoi}], total: {fichiers,
// octets, non_supprimables, proteges, octets_proteges}}],
// total: {prefixes, fichiers, octets, non_supprimables, proteges, octets_proteges}}.
std::string DocumentJsonApercus(const std::vector<ApercuDuPrefixe>& apercus);
