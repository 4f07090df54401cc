#pragma once
// The preview of a cleaning run: what a run of a plan would do now, found by that very run
// (TMenage) with an executant that records instead of changing (TExecutantApercu). Nothing is
// written: no file, no folder, no registry key or value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cleaning/DossierDangereux.h"
#include "cleaning/Emplacements.h"
#include "cleaning/FichierRepere.h"
#include "cleaning/PlanMenage.h"
#include "platform/Drive.h"

// A file the run handles.
struct FichierApercu {
  std::string chemin;        // its Windows path, as the run reaches it
  std::uint64_t taille = 0;  // in bytes, as the run counts it
  Emplacement emplacement = Emplacement::Ailleurs;
  bool supprime = true;      // false: the run would fail to delete it (counted all the same)
  std::string raison;        // what takes it: an option's key ("Temp") or a mask ("*.tmp")
  std::string hote;          // where it lies on the host, when the drive is a prefix ("" else)
  os::FileId dossier{};      // the identity of the folder that lists it
  // Where its folder's path ends in `chemin` (the "\" before its name, which may hold one).
  std::size_t finDossier = 0;

  // The file as the run holds it: what a run is told to leave it by.
  FichierRepere Repere() const {
    return {dossier, chemin.substr((finDossier != 0 ? finDossier : chemin.rfind('\\')) + 1)};
  }
};

// A registry value the run deletes.
struct ValeurApercu {
  std::string cle;  // "HKEY_CURRENT_USER\Software\..."
  std::string nom;
};

struct Apercu {
  // False when the plan holds no validated options: a run would only ask for them, and nothing
  // else below is filled.
  bool optionsValidees = true;
  // Every file the run handles, once each time it does (a file it fails to delete may be met
  // again by a later pass): those in save locations or game folders first, then the others,
  // each group in the run's order. Their count and sizes add up to nbFichiers and tailleTotale.
  std::vector<FichierApercu> fichiers;
  // How many of the first `fichiers` lie in save locations or game folders.
  std::size_t nbSensibles = 0;
  // The files a mask found and the run leaves, being protected (TMenage::ProtegerSauvegardes),
  // each once, in the run's order; `raison` is the first mask that found it.
  std::vector<FichierApercu> proteges;
  // The files the user keeps for good (TMenage::CheminsGardes) met by the run, each once, in the
  // run's order; `raison` is what first took it.
  std::vector<FichierApercu> gardes;
  // The registry values the purges delete, in the run's order.
  std::vector<ValeurApercu> valeurs;
  // The empty folders removed at the end (Windows paths), deepest first, in the run's order.
  std::vector<std::string> dossiers;
  // The folder passes the run skips, their folder refused, and why (TMenage::PassesSautees).
  std::vector<PasseSautee> passesSautees;
  // The summary the run shows at its end; "\r" between its lines.
  std::string resume;
  // The run's counters at its end: files handled, their total size, files left undeleted.
  std::uint64_t nbFichiers = 0;
  std::uint64_t tailleTotale = 0;
  std::uint64_t nbEchecs = 0;
  std::uint64_t tailleProtegee = 0;
  std::uint64_t tailleGardee = 0;
  // Why the run would stop before its end (a program started in the prefix), or "".
  std::string interruption;
  // The failure the run reports after its summary (a hive that cannot be read), or "".
  std::string erreur;
};

// What a run of `plan` (its OptionsValidees included) would do now on `lecteur`.
// `dossiersJeux`: the Windows paths of the drive's game folders besides the Program Files
// folders (those a launcher installs games into). The files on disk and the registry are left
// exactly as they are. Throws what the run would throw before its summary.
// `dossiersSauvegardes`: save locations beyond the usual ones; `proteger`: the run leaves the
// files masks find in save locations and game folders (TMenage::ProtegerSauvegardes);
// `gardes`: the files and folders the user keeps for good (TMenage::CheminsGardes).
Apercu ApercuMenage(const os::Drive& lecteur, const TPlanMenage& plan,
                    const std::vector<std::string>& dossiersJeux = {},
                    const std::vector<std::string>& dossiersSauvegardes = {}, bool proteger = false,
                    const std::vector<std::string>& gardes = {});
