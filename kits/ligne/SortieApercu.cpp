#include "kits/ligne/SortieApercu.h"

#include <nlohmann/json.hpp>

#include "cleaning/LibellesDossiers.h"
#include "kits/ligne/Affichable.h"
#include "kits/ligne/Tableau.h"
#include "prefixes/Octets.h"

namespace {

// What takes a file, as a person reads it.
std::string Raison(const std::string& raison) {
  const std::string_view dossier = NomDePasse(raison);
  return dossier.empty() ? "masque " + Visible(raison) : std::string(dossier);
}

const char* NomEmplacement(Emplacement e) {
  switch (e) {
    case Emplacement::Sauvegardes: return "sauvegardes";
    case Emplacement::Jeux: return "jeux";
    case Emplacement::Ailleurs: break;
  }
  return "ailleurs";
}

// "1 fichier", "2 fichiers".
std::string Fichiers(std::uint64_t n) {
  return std::to_string(n) + (n > 1 ? " fichiers" : " fichier");
}

struct Total {
  std::uint64_t prefixes = 0, fichiers = 0, octets = 0, echecs = 0, proteges = 0,
                octetsProteges = 0, gardes = 0, octetsGardes = 0;
  void Ajouter(const Apercu& a) {
    ++prefixes;
    fichiers += a.nbFichiers;
    octets += a.tailleTotale;
    echecs += a.nbEchecs;
    proteges += a.proteges.size();
    octetsProteges += a.tailleProtegee;
    gardes += a.gardes.size();
    octetsGardes += a.tailleGardee;
  }
  std::string Texte() const {
    std::string t = Fichiers(fichiers) + ", " + TailleLisible(octets);
    if (echecs > 0) t += " ; " + std::to_string(echecs) + (echecs > 1 ? " non supprimables" : " non supprimable");
    if (proteges > 0) {
      t += " ; " + Fichiers(proteges) + (proteges > 1 ? " protégés laissés" : " protégé laissé") +
           " en place, " + TailleLisible(octetsProteges);
    }
    if (gardes > 0) {
      t += " ; " + Fichiers(gardes) + (gardes > 1 ? " gardés laissés" : " gardé laissé") +
           " en place, " + TailleLisible(octetsGardes);
    }
    return t;
  }
};

void Liste(std::string& texte, const char* titre, const std::vector<FichierApercu>& fichiers,
           std::size_t debut, std::size_t fin, bool proteges = false) {
  if (debut == fin) return;
  texte += titre;
  for (std::size_t i = debut; i < fin; ++i) {
    const FichierApercu& f = fichiers[i];
    texte += "  " + Visible(f.chemin) + " — " + TailleLisible(f.taille) + " — " + Raison(f.raison);
    if (!f.supprime && !proteges) texte += " — non supprimable";
    texte += '\n';
    if (!f.hote.empty()) texte += "      " + Visible(f.hote) + '\n';
  }
}

std::string Titre(const Prefixe& p) {
  std::string t = "Préfixe « " + Visible(p.nom) + " » (" + std::string(NomOrigine(p.origine));
  if (!p.appid.empty()) t += ", " + p.appid;
  return t + ") : " + Visible(p.chemin.string()) + '\n';
}

}  // namespace

std::string TexteApercus(const std::vector<ApercuDuPrefixe>& apercus) {
  if (apercus.empty()) return "Aucun préfixe Wine ou Proton trouvé.\n";
  std::string texte;
  Total general;
  for (const ApercuDuPrefixe& d : apercus) {
    if (!texte.empty()) texte += '\n';
    texte += Titre(d.prefixe);
    if (!d.apercu) {
      texte += "Pas d'aperçu : " + Visible(d.erreur) + '\n';
      continue;
    }
    const Apercu& a = *d.apercu;
    texte += d.choixPropres ? "Choix : ceux du préfixe (ses options validées)\n"
                            : "Choix : les choix communs (tidora2000 --choix)\n";
    Liste(texte, "Fichiers dans des sauvegardes ou des dossiers de jeux :\n", a.fichiers, 0,
          a.nbSensibles);
    Liste(texte, a.nbSensibles > 0 ? "Autres fichiers :\n" : "Fichiers :\n", a.fichiers,
          a.nbSensibles, a.fichiers.size());
    if (!a.proteges.empty()) {
      Liste(texte, "Protégés, laissés en place (sauvegardes et dossiers de jeux) :\n", a.proteges, 0,
            a.proteges.size(), true);
    }
    if (!a.gardes.empty()) {
      Liste(texte, "Gardés, laissés en place (toujours gardés) :\n", a.gardes, 0, a.gardes.size(),
            true);
    }
    if (!a.valeurs.empty()) {
      texte += "Valeurs du registre :\n";
      for (const ValeurApercu& v : a.valeurs) texte += "  " + Visible(v.cle) + '\\' + Visible(v.nom) + '\n';
    }
    if (!a.dossiers.empty()) {
      texte += "Dossiers vides :\n";
      for (const std::string& dossier : a.dossiers) texte += "  " + Visible(dossier) + '\n';
    }
    if (!a.passesSautees.empty()) {
      texte += "Passes sautées :\n";
      for (const PasseSautee& p : a.passesSautees) texte += "  " + Visible(p.Texte()) + '\n';
    }
    if (!a.interruption.empty()) texte += Visible(a.interruption) + '\n';
    if (!a.erreur.empty()) texte += "Erreur : " + Visible(a.erreur) + '\n';
    Total t;
    t.Ajouter(a);
    general.Ajouter(a);
    texte += "Total : " + t.Texte() + '\n';
  }
  if (apercus.size() > 1) {
    texte += "\nTotal de " + std::to_string(general.prefixes) + " préfixes : " + general.Texte() + '\n';
  }
  return texte;
}

std::string LignesTsvApercus(const std::vector<ApercuDuPrefixe>& apercus) {
  std::string texte =
      "prefixe\tgenre\tchemin_windows\tchemin_hote\toctets\traison\templacement\tetat\n";
  for (const ApercuDuPrefixe& d : apercus) {
    const std::string prefixe = Tsv(d.prefixe.chemin.string());
    if (!d.apercu) {
      texte += prefixe + "\terreur\t\t\t\t" + Tsv(d.erreur) + "\t\t\n";
      continue;
    }
    auto fichier = [&](const FichierApercu& f, const char* etat) {
      texte += prefixe + "\tfichier\t" + Tsv(f.chemin) + '\t' + Tsv(f.hote) + '\t' +
               std::to_string(f.taille) + '\t' + Tsv(f.raison) + '\t' +
               NomEmplacement(f.emplacement) + '\t' + etat + '\n';
    };
    for (const FichierApercu& f : d.apercu->fichiers) fichier(f, f.supprime ? "efface" : "non_supprimable");
    for (const FichierApercu& f : d.apercu->proteges) fichier(f, "protege");
    for (const FichierApercu& f : d.apercu->gardes) fichier(f, "garde");
    for (const ValeurApercu& v : d.apercu->valeurs) {
      texte += prefixe + "\tvaleur\t" + Tsv(v.cle + '\\' + v.nom) + "\t\t\t\t\tefface\n";
    }
    for (const std::string& dossier : d.apercu->dossiers) {
      texte += prefixe + "\tdossier\t" + Tsv(dossier) + "\t\t\t\t\tefface\n";
    }
    for (const PasseSautee& p : d.apercu->passesSautees) {
      texte += prefixe + "\tpasse\t" + Tsv(p.dossier) + "\t\t\t" + Tsv(p.cle) + '\t' +
               p.refus.lieu + "\tsautee\n";
    }
  }
  return texte;
}

std::string DocumentJsonApercus(const std::vector<ApercuDuPrefixe>& apercus) {
  using nlohmann::json;
  json liste = json::array();
  Total general;
  auto totalJson = [](const Total& t) {
    return json{{"fichiers", t.fichiers}, {"octets", t.octets}, {"non_supprimables", t.echecs},
                {"proteges", t.proteges}, {"octets_proteges", t.octetsProteges},
                {"gardes", t.gardes}, {"octets_gardes", t.octetsGardes}};
  };
  for (const ApercuDuPrefixe& d : apercus) {
    json o = {{"chemin", d.prefixe.chemin.string()},
              {"nom", d.prefixe.nom},
              {"origine", std::string(NomOrigine(d.prefixe.origine))},
              {"appid", d.prefixe.appid},
              {"choix", d.choixPropres ? "propres" : "communs"},
              {"erreur", nullptr}};
    if (!d.apercu) {
      o["erreur"] = d.erreur;
      liste.push_back(std::move(o));
      continue;
    }
    const Apercu& a = *d.apercu;
    // `etat`: the state of every file of the group, else each one's own.
    auto fichiers = [](const std::vector<FichierApercu>& groupe, const char* etat) {
      json j = json::array();
      for (const FichierApercu& f : groupe) {
        j.push_back({{"windows", f.chemin},
                     {"hote", f.hote},
                     {"octets", f.taille},
                     {"raison", f.raison},
                     {"emplacement", NomEmplacement(f.emplacement)},
                     {"etat", etat != nullptr ? etat
                              : f.supprime    ? "efface"
                                              : "non_supprimable"}});
      }
      return j;
    };
    o["fichiers"] = fichiers(a.fichiers, nullptr);
    o["proteges"] = fichiers(a.proteges, "protege");
    o["gardes"] = fichiers(a.gardes, "garde");
    o["valeurs"] = json::array();
    for (const ValeurApercu& v : a.valeurs) o["valeurs"].push_back({{"cle", v.cle}, {"nom", v.nom}});
    o["dossiers"] = a.dossiers;
    o["passes_sautees"] = json::array();
    for (const PasseSautee& p : a.passesSautees) {
      o["passes_sautees"].push_back({{"windows", p.dossier},
                                     {"raison", p.cle},
                                     {"lieu", p.refus.lieu},
                                     {"pourquoi", p.refus.raison}});
    }
    if (!a.erreur.empty()) o["erreur"] = a.erreur;
    Total t;
    t.Ajouter(a);
    general.Ajouter(a);
    o["total"] = totalJson(t);
    liste.push_back(std::move(o));
  }
  json total = totalJson(general);
  total["prefixes"] = general.prefixes;
  const json document = {{"prefixes", std::move(liste)}, {"total", std::move(total)}};
  return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
