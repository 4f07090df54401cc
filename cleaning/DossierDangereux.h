#pragma once
// Which folders a cleaning pass may empty.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// True for a folder that is not an absolute path below a drive root ("C:\", "c:", "C:\.",
// "C:\Temp\..", "Temp", ""): emptying it would reach far more than the user meant.
bool DossierDangereux(std::string_view dossier) noexcept;

// Why a folder pass may not empty a folder.
struct RefusDossier {
  // The place at stake: "chemin" (no full path), "racine", "windows", "programmes",
  // "donnees_programmes", "utilisateurs", "profil", "sauvegardes" or "jeux".
  std::string lieu;
  // What the folder is to it, in French, as the end of a sentence whose subject is the folder:
  // "est un profil d'utilisateur", "contient le dossier de Windows"...
  std::string raison;
};

// Why a folder pass may not empty `dossier` (a Windows path; names compared as Windows compares
// them, "." and ".." resolved), or nothing when it may. Refused on every drive: a path that is
// not a full one, a drive root; on drive C and on the drive of `windows` (the Windows folder):
// a folder that is or holds the Windows folder, "Program Files", "Program Files (x86)",
// "ProgramData", "users" or a profile ("users\<u>"), or one inside the Windows folder (but its
// "Temp", "Tmp" and "SYSBCKUP") or inside a "Program Files" folder; on every drive, a folder that
// is or holds a save location (Emplacements.h, `sauvegardes` among them). With `proteger` (a
// user's prefix) also a folder inside a save location (their folders set aside, "Microsoft"...
// excepted) and a folder that is, holds or lies in one of `jeux` (game folders).
std::optional<RefusDossier> RefuserDossier(std::string_view dossier, std::string_view windows,
                                           const std::vector<std::string>& jeux,
                                           const std::vector<std::string>& sauvegardes,
                                           bool proteger);

// A folder pass a run skipped.
struct PasseSautee {
  std::string cle;      // what the pass takes files for: the option's key ("History")
  std::string dossier;  // the folder as the plan (or the registry) names it
  RefusDossier refus;
  // « Passe « historique des URL » sautée : C:\users\steamuser est un profil d'utilisateur ».
  std::string Texte() const;
};
