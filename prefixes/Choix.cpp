#include "prefixes/Choix.h"

#include <system_error>

#include "options/LibellesChoix.h"
#include "platform/Profile.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"
#include "prefixes/Lecture.h"

namespace {

constexpr const char* kSection = "Choix";

// The longest choices file read or written: far more than any keep list a person makes.
constexpr std::size_t kTailleMax = 1024 * 1024;

bool Oui(const std::string& valeur, const std::string& cle, const std::string& fichier) {
  if (valeur == "oui") return true;
  if (valeur == "non") return false;
  throw ErreurChoix("Fichier de choix illisible " + fichier + " : la valeur de « " + cle +
                    " » doit être « oui » ou « non »");
}

// What no value can be: tells a missing key from an empty one.
constexpr const char* kAbsente = "\n";

}  // namespace

ChoixCommuns ChoixParDefaut() {
  ChoixCommuns c;
  for (const std::size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 8u, 10u}) c.cases[i] = true;
  return c;
}

std::filesystem::path FichierChoix(const Maison& maison) {
  return maison.config / "tidora2000" / "choix.ini";
}

std::optional<ChoixCommuns> LireChoix(const Maison& maison) {
  const std::filesystem::path chemin = FichierChoix(maison);
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(chemin, ec))) return std::nullopt;
  const std::optional<std::string> texte = LireFichier(chemin, kTailleMax);
  if (!texte) {
    throw os::SystemError(os::error::AccessDenied,
                          "Ne peut lire le fichier de choix " + chemin.string() +
                              " : ce n'est pas un fichier ordinaire lisible de taille raisonnable");
  }
  // Every file this program writes names each choice, the masks and the saves: a file missing
  // one of them (empty, random bytes, a section alone) is no choices file, and is never taken
  // for "nothing chosen".
  const std::string fichier = chemin.string();
  std::string manque;  // the first key missing
  const auto valeur = [&](const std::string& cle, const char* defaut) {
    std::string v = os::profileString(*texte, kSection, cle, kAbsente);
    if (v != kAbsente) return v;
    if (manque.empty()) manque = cle;
    return std::string(defaut);
  };
  ChoixCommuns c;
  for (std::size_t i = 0; i < LibellesChoix.size(); ++i) {
    const std::string cle(LibellesChoix[i].cle);
    c.cases[i] = Oui(valeur(cle, "non"), cle, fichier);
  }
  c.masques = valeur("Masques", "");
  c.sauvegardes = Oui(valeur("Sauvegardes", "non"), "Sauvegardes", fichier);
  if (!manque.empty()) {
    throw ErreurChoix("Fichier de choix illisible " + fichier +
                      " : ce n'est pas un fichier de choix de Tidora 2000 (la clé « " + manque +
                      " » de la section [" + kSection + "] manque)");
  }
  try {
    VerifierMasques(c.masques);
  } catch (const ErreurOptions& e) {
    throw ErreurChoix("Fichier de choix illisible " + fichier + " : " + e.what());
  }
  c.gardes = LireGardes(*texte, fichier);
  return c;
}

ChoixCommuns ChoixDeLUtilisateur(const Maison& maison) {
  return LireChoix(maison).value_or(ChoixParDefaut());
}

void EnregistrerChoix(const Maison& maison, const ChoixCommuns& choix) {
  // The masks are checked as a validation checks them: one the file would not give back as it
  // is, or a dangerous one, is refused.
  VerifierMasques(choix.masques);
  std::string texte = "[Choix]\n";
  for (std::size_t i = 0; i < LibellesChoix.size(); ++i) {
    texte.append(LibellesChoix[i].cle).append(choix.cases[i] ? "=oui\n" : "=non\n");
  }
  texte += "Masques=" + choix.masques + "\n";
  texte += std::string("Sauvegardes=") + (choix.sauvegardes ? "oui" : "non") + "\n";
  texte += SectionGardes(choix.gardes);
  if (texte.size() > kTailleMax) {
    throw ErreurChoix("Trop d'éléments gardés : le fichier de choix ne pourrait plus être lu");
  }
  const std::filesystem::path chemin = FichierChoix(maison);
  std::error_code ec;
  std::filesystem::create_directories(chemin.parent_path(), ec);
  os::saveHostFile(chemin, texte);
}

ChoixCommuns GarderToujours(const Maison& maison, const std::vector<ElementGarde>& elements) {
  ChoixCommuns choix = ChoixDeLUtilisateur(maison);
  bool ajoute = false;
  for (const ElementGarde& e : elements) ajoute = AjouterGarde(choix.gardes, e) || ajoute;
  if (ajoute) EnregistrerChoix(maison, choix);
  return choix;
}
