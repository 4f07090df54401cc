#pragma once
// What the launchers' files name: candidate prefixes (not yet checked) and the files that could
// not be read.
#include <filesystem>
#include <string>
#include <vector>

#include "prefixes/Prefixe.h"

struct Candidat {
  std::filesystem::path chemin;
  Origine origine;
  std::string nom;
  std::vector<std::filesystem::path> jeux;  // its games' folders, as Prefixe::jeux
  std::string appid;                        // as Prefixe::appid
  bool desinstalle = false;                 // as Prefixe::desinstalle
};

struct Collecte {
  std::vector<Candidat> candidats;
  std::vector<std::string> avertissements;  // French, one a file: which one and why

  Candidat& Ajouter(const std::filesystem::path& chemin, Origine origine, std::string nom,
                    std::vector<std::filesystem::path> jeux = {}) {
    std::filesystem::path propre = chemin.lexically_normal();
    if (!propre.has_filename() && propre != propre.root_path()) propre = propre.parent_path();
    candidats.push_back({std::move(propre), origine, std::move(nom), std::move(jeux), {}, false});
    return candidats.back();
  }
  void Avertir(const std::filesystem::path& fichier, const std::string& pourquoi) {
    avertissements.push_back("fichier ignoré " + fichier.string() + " : " + pourquoi);
  }
};
