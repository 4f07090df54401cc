#include "kits/ligne/SortieApercu.h"

#include <algorithm>

#include "kits/ligne/Affichable.h"

namespace {

void Fichiers(std::string& texte, const char* titre, std::vector<FichierApercu>::const_iterator debut,
              std::vector<FichierApercu>::const_iterator fin) {
  if (debut == fin) return;
  texte += titre;
  for (auto f = debut; f != fin; ++f) {
    texte += Visible(f->chemin) + '\t' + std::to_string(f->taille);
    if (!f->supprime) texte += "\tnon supprimable";
    texte += '\n';
  }
}

}  // namespace

std::string TexteApercu(const Apercu& apercu) {
  std::string texte;
  const auto sensibles = apercu.fichiers.begin() + static_cast<std::ptrdiff_t>(apercu.nbSensibles);
  Fichiers(texte, "Fichiers dans des dossiers de sauvegardes ou de jeux :\n", apercu.fichiers.begin(),
           sensibles);
  Fichiers(texte, apercu.nbSensibles > 0 ? "Autres fichiers :\n" : "Fichiers :\n", sensibles,
           apercu.fichiers.end());
  if (!apercu.valeurs.empty()) {
    texte += "Valeurs du registre :\n";
    for (const ValeurApercu& v : apercu.valeurs) texte += Visible(v.cle) + '\t' + Visible(v.nom) + '\n';
  }
  if (!apercu.dossiers.empty()) {
    texte += "Dossiers vides :\n";
    for (const std::string& d : apercu.dossiers) texte += Visible(d) + '\n';
  }
  std::string resume = apercu.resume;
  std::replace(resume.begin(), resume.end(), '\r', '\n');
  if (!resume.empty()) texte += resume + '\n';
  return texte;
}
