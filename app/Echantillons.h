#pragma once
// Sample traces put into a freshly created profile, so that a first run has work to do.
#include <string>
#include <vector>

#include "platform/Drive.h"

// Every file the samples hold, as Windows paths, with whether a full run removes it.
struct Echantillon {
  std::string chemin;
  bool resteApresMenage;
};
// The list of the samples (folders implied), with the cache, history and cookie folders read
// from the profile's shell folders.
std::vector<Echantillon> ListeEchantillons(const os::Drive& lecteur);

// Writes the samples and three typed addresses ("url1".."url3") on `lecteur`; existing files
// are overwritten, nothing outside its drive C is touched.
void DeposerEchantillons(const os::Drive& lecteur);

// First start of the program's own profile: puts in the samples while the profile's first start
// is not marked done, so that one that failed half-way (a full disk) is completed by the next.
// Throws SystemError.
void PreparerProfil(const os::Drive& lecteur);
