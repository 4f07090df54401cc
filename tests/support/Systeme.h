#pragma once
// What tests ask of the system beyond the platform layer: folder links and files that cannot be
// deleted. Each system supplies these (tests/support/linux, tests/support/windows).
#include <filesystem>

// Makes `lien` a link to the folder `cible` (kept as written when relative); false when this
// system or this user cannot make one.
bool LienDossier(const std::filesystem::path& cible, const std::filesystem::path& lien);
// Makes the file undeletable, even for an administrator, until Liberer; false when the file
// system refuses.
bool RendreIndelebile(const std::filesystem::path& fichier);
void Liberer(const std::filesystem::path& fichier);
// Removes a test's folder ("<temp>\tidora-...") and everything in it, read-only files included,
// links as links.
void EffacerArbre(const std::filesystem::path& racine);
