#pragma once
// Removing the empty sub-folders that a cleaning run leaves behind.
#include <cstdint>
#include <functional>
#include <set>
#include <string_view>

#include "cleaning/Executant.h"
#include "cleaning/Gardes.h"
#include "platform/FileId.h"

// Removes, through `executant`, every sub-folder of `dossier` (a Windows path of the executant's
// drive) that is empty, deepest first, so that a folder holding only empty folders goes too;
// never one the system makes (DossierDuSysteme). With `entames` (the identities of the folders
// the run took a file out of; a folder removed here adds the one that held it), only a folder the
// run emptied goes: one that was empty before the run stays, as a program keeps it there.
// The walk is the scanner's: each folder is opened relative to its parent and listed once, and a
// sub-folder is removed through the folder that listed it. `dossier` itself stays; links and
// mount points are neither entered nor removed; a folder that cannot be read or removed is left
// as it is; folders more than `profondeurMax` levels below `dossier` are not looked at.
// `continuer` is called after each sub-folder, as the scanner drains the message queue; once it
// returns false, nothing more is removed. A folder of `gardes` is neither entered nor removed.
// Returns how many folders were removed.
int SupprimerDossiersVides(std::string_view dossier, std::int32_t profondeurMax,
                           IExecutant& executant, std::set<os::FileId>* entames = nullptr,
                           const std::function<bool()>& continuer = {},
                           const Gardes& gardes = {});

// True for the entry `i` of `dossier` (a folder of a temporary folder, `racine` when it is that
// folder itself) when the system makes it, for its own programs to find there: "Low" right in the
// temporary folder (where programs of low integrity write theirs: they cannot make it again), and
// any folder carrying the system attribute, as Windows marks the folders it keeps.
bool DossierDuSysteme(const os::Folder& dossier, std::size_t i, bool racine);
