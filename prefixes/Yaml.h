#pragma once
// The launchers' YAML files, read with yaml-cpp.
#include <yaml-cpp/yaml.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "prefixes/Collecte.h"

// The document of the YAML file `fichier`; nothing when it is missing or unreadable, and a
// warning in `collecte` when it is malformed.
std::optional<YAML::Node> LireYaml(const std::filesystem::path& fichier, Collecte& collecte);
// The text of `cle` in the map `noeud`; empty when there is none or it is not text.
std::string TexteYaml(const YAML::Node& noeud, const char* cle);
