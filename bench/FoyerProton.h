#pragma once
// A home of Steam's Proton prefixes for the benchmarks that look at every prefix of a user (the
// home bench_apercus builds): two libraries, each drive C shaped as Proton leaves one (the
// system's folders, a game's files, the temporary folders, a profile with saves).
#include <filesystem>
#include <string>

namespace banc {

// Writes `texte` to `fichier`, its folders made first. Throws std::runtime_error when it cannot.
void Ecrire(const std::filesystem::path& fichier, const std::string& texte);
// Steam's library list in `steam`'s configuration: `steam` itself and `bibliotheque`.
void BibliothequesSteam(const std::filesystem::path& steam,
                        const std::filesystem::path& bibliotheque);
// The manifest of the game `appid` ("Jeu <appid>", installed in "Jeu") in `steamapps`.
void ManifesteSteam(const std::filesystem::path& steamapps, const std::string& appid);

// What the default choices make of the home: the files a run takes, the saves it leaves.
struct Attendu {
  long pris = 0;
  long proteges = 0;
};

// Builds the home below `racine` ("<racine>/home", the second library beside it): `prefixes`
// prefixes of about `fichiers` files each in drive C, named "Jeu <appid>" by their manifests.
// Adds what the default choices take there to `attendu`; returns the home folder. Throws
// std::runtime_error when a file cannot be written.
std::filesystem::path FoyerProton(const std::filesystem::path& racine, long prefixes, long fichiers,
                                  Attendu& attendu);

}  // namespace banc
