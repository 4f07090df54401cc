#pragma once
// The options file "options.ini" beside the executable of a drive: writing the user's choices,
// reading them into the plan.
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "cleaning/PlanMenage.h"
#include "platform/Drive.h"

// The seventeen choices in the order of the options window's boxes 1 to 17: cache, history,
// typed addresses, recent documents, cookies, temporary folder, registry backups, recent
// searches, then the built-in masks xt1..xt9.
using ChoixOptions = std::array<bool, 17>;

// A failure to write the options, carrying the French message the window shows.
class ErreurOptions : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Full Windows path of "options.ini".
std::string CheminOptions(const os::Drive& lecteur);

// True when "options.ini" is there as a readable file: the options were validated once and
// saved.
bool OptionsEnregistrees(const os::Drive& lecteur);

// Composes the file's lines (no line ends) from the choices and the free-mask text; reads the
// registry and the Windows directory. Throws ErreurOptions on a bad registry value (wrong type,
// or a text that the file would not give back as it is: control character, too long, blanks or
// quotes around it), a hive that cannot be read (its own message, naming the file and line) or
// a refused mask ("Masque refusé : ..."); nothing is saved then.
// Composition::EnMemoire reads the registry only: the Shell Folders key is not created when
// missing (its lines are then left out, which gives the same plan) and nothing is written into
// the drive.
enum class Composition { Validation, EnMemoire };
std::vector<std::string> ComposerOptions(const os::Drive& lecteur, const ChoixOptions& choix,
                                         const std::string& masques,
                                         Composition composition = Composition::Validation);

// Throws ErreurOptions ("Masque refusé : ...") when a piece of the free-mask text `masques` would
// not come back from the file as typed, or would be a dangerous mask, and ("Trop de masques : ...")
// when it holds more than ten pieces (xt11 to xt20: no run would use an eleventh); ComposerOptions
// checks them so too.
void VerifierMasques(const std::string& masques);

// Saves the lines as "options.ini" (CR LF after each), replacing the old file atomically under
// a lock that leaves nothing beside it: programs saving at once never mix their texts. The
// program's folder is made when missing. Throws ErreurOptions (a read-only file is not replaced:
// "Ne peut créer le fichier ..."; writing fails: "Erreur d'écriture dans le flux"); the old file
// is then left as it was.
void EnregistrerOptions(const os::Drive& lecteur, const std::vector<std::string>& lignes);

// Fills the plan's tables from "options.ini" (a missing file empties them). OptionsValidees
// is left alone.
void LireOptions(const os::Drive& lecteur, TPlanMenage& plan);

// Fills the plan's tables from the lines of an options file held in memory (ComposerOptions),
// read exactly as LireOptions reads the file.
void LireLignes(const std::vector<std::string>& lignes, TPlanMenage& plan);

// Removes "options.ini" (the drive's own validated options), through its folder: the drive then
// takes the common choices. Nothing when there is none. Throws ErreurOptions ("Ne peut supprimer
// le fichier ...").
void OublierOptions(const os::Drive& lecteur);

// The seventeen choices a plan's tables hold (box checked = entry not empty), as the options
// window shows them.
ChoixOptions ChoixDuPlan(const TPlanMenage& plan);

// The user's masks the plan gets from the file (xt11 to xt20, each read as LireOptions reads
// it, the empty ones left out), joined with ";": the edit box's text at start-up.
std::string MasquesLibres(const os::Drive& lecteur);
