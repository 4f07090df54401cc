#include "cleaning/Menage.h"

#include <algorithm>
#include <array>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "cleaning/DossierDangereux.h"
#include "cleaning/DossiersVides.h"
#include "cleaning/MasqueDangereux.h"
#include "platform/Folder.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"

namespace {

constexpr const char* kCleAdresses = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kCleRecherches =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU";
constexpr const char* kRacine = "c:\\";
constexpr std::size_t kIndexTemp = 4;
constexpr std::size_t kIndexSauvegardes = 5;
constexpr std::int32_t kNbMotifs = 20;
// What takes the files of each folder pass: the option's key.
constexpr std::array<const char*, 6> ClesDossiers = {"Cache",   "History", "Recent",
                                                     "Cookies", "Temp",    "Sbdr"};

// n for a value named "url<n>" (any case, n in decimal without leading zeros), else 0.
std::size_t NumeroAdresse(std::string_view nom) {
  if (nom.size() < 4 || nom.size() > 12) return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if ((nom[i] | 0x20) != "url"[i]) return 0;
  }
  if (nom[3] == '0') return 0;
  std::size_t n = 0;
  for (const char c : nom.substr(3)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

}  // namespace

TMenage::TMenage(TScruteDossier& scrute, const TPlanMenage& plan, IFenetreMenage& fenetre,
                 IExecutant& executant)
    : scrute_(scrute), plan_(plan), fenetre_(fenetre), executant_(executant) {
  scrute_.Lecteur = &executant_.Lecteur();
  scrute_.OnFichier = [this](TScruteDossier& s, const std::string& nom) {
    ScruteDossier1Fichier(s, nom);
  };
  // A name no Windows path names: counted and listed as not deleted, as the executant fails it.
  scrute_.OnIntraitable = scrute_.OnFichier;
  scrute_.OnExecute = [this](TScruteDossier& s) { ScruteDossier1Execute(s); };
  // Each folder's place is decided once, when its first file is reported.
  scrute_.OnLieu = [this](TScruteDossier&, const std::string& dossier) {
    return static_cast<int>(EmplacementDe(dossier, DossiersJeux, DossiersSauvegardes));
  };
}

TMenage::~TMenage() {
  scrute_.OnFichier = nullptr;
  scrute_.OnIntraitable = nullptr;
  scrute_.OnExecute = nullptr;
  scrute_.OnLieu = nullptr;
}

std::string TMenage::TexteTaille(std::uint64_t octets) {
  const std::uint64_t ko = octets / 1024 + (octets % 1024 != 0 ? 1 : 0);
  return std::to_string(ko) + " kO";
}

void TMenage::Lancer() {
  if (enCours_) return;
  fenetre_.AfficherNbFichiers("0");
  fenetre_.AfficherTaille("0 kO");
  if (!plan_.OptionsValidees) {
    fenetre_.MontrerOptions();
    return;
  }
  // Nothing has changed yet: a run that may not start (its prefix in use) is refused whole.
  executant_.Commencer();

  enCours_ = true;
  stoppe_ = false;
  struct FinDeRun {
    TMenage& menage;
    ~FinDeRun() {
      menage.enCours_ = false;
      menage.stoppe_ = false;
    }
  } finDeRun{*this};
  NbFichiers = 0;
  TailleTotale = 0;
  NbEchecs = 0;
  NbProteges = 0;
  TailleProtegee = 0;
  Interruption.clear();
  echecs_.clear();
  proteges_.clear();
  entames_.clear();
  NbGardes = 0;
  TailleGardee = 0;
  gardesVus_.clear();
  gardes_ = Gardes(executant_.Lecteur(), CheminsGardes);

  PassesSautees.clear();
  try {
    windows_ = executant_.Lecteur().windowsDirectory();
  } catch (const os::SystemError&) {
    windows_ = "C:\\windows";
  }

  // The plan may be rebuilt by a validation while a pass drains the queue: every entry is
  // copied when its pass starts, never held across a pass.
  std::vector<std::string> dossiersTemp;
  std::string tempUtilisateur;  // the user's own, where the user's programs keep their folders
  for (std::size_t i = 0; i < LibellesDossiers.size() && Continuer(); ++i) {
    const std::string dossier = plan_.TableDossiers[i];
    if (dossier.empty()) continue;
    if (Permis(ClesDossiers[i], dossier)) {
      fenetre_.AfficherEnCours(LibellesDossiers[i]);
      Passe(dossier, "*.*", ClesDossiers[i], false);
      if (i == kIndexTemp) dossiersTemp.push_back(dossier);
    }
    if (i != kIndexTemp) continue;
    // The user's own temporary folder too, where programs write theirs; once when both are one.
    // A registry that cannot be read names none (its failure is the registry steps' to tell).
    std::optional<std::string> temp;
    try {
      temp = executant_.Lecteur().userTempDirectory();
    } catch (const os::SystemError&) {
    }
    if (temp && !MemeDossier(dossier, *temp) && Continuer() && Permis(ClesDossiers[i], *temp)) {
      Passe(*temp, "*.*", ClesDossiers[i], false);
      dossiersTemp.push_back(*temp);
      tempUtilisateur = *temp;
    }
  }

  scrute_.Dossier = kRacine;
  scrute_.SousDossier = true;
  bool premiere = true;
  for (IndexMotif = 1; IndexMotif <= kNbMotifs && Continuer(); ++IndexMotif) {
    const std::string masque = plan_.TableMotifs[static_cast<std::size_t>(IndexMotif - 1)];
    if (masque.empty() || MasqueDangereux(masque)) continue;
    fenetre_.AfficherEnCours("Recherche des fichiers " + masque);
    if (premiere) {
      CarteDesMasques(IndexMotif);
    } else {
      Elaguer(masque);
    }
    Passe(kRacine, masque, masque, true);
    if (premiere) FinirCarte();
    premiere = false;
  }
  scrute_.OnListe = nullptr;
  scrute_.OnEntrer = nullptr;
  carte_ = {};

  if (Continuer()) {
    const std::string sauvegardes = plan_.TableDossiers[kIndexSauvegardes];
    if (!sauvegardes.empty() && Permis(ClesDossiers[kIndexSauvegardes], sauvegardes)) {
      Passe(sauvegardes, "*.cab", ClesDossiers[kIndexSauvegardes], false);
      scrute_.Dossier = kRacine;
      scrute_.SousDossier = true;
    }
  }

  // A hive that cannot be read or saved skips the registry steps; the run goes on to its end,
  // and the failure is reported after the summary. A prefix a program uses now is not touched.
  std::exception_ptr echecRegistre;
  Continuer();
  if (Interruption.empty()) {
    try {
      PurgerAdresses();
      if (!stoppe_ && !plan_.TableRegistre[0].empty()) PurgerRecherches();
    } catch (const os::SystemError&) {
      echecRegistre = std::current_exception();
    }
  }
  for (const std::string& dossierTemp : dossiersTemp) {
    if (stoppe_) break;
    if (gardes_.DansUnDossierGarde(executant_.Lecteur(), dossierTemp)) continue;
    // Of the user's own only what the run emptied goes.
    std::set<os::FileId>* entames = dossierTemp == tempUtilisateur ? &entames_ : nullptr;
    SupprimerDossiersVides(
        dossierTemp, scrute_.MaxPenetration, executant_, entames,
        [this] {
          if (scrute_.TraiterMessages) scrute_.TraiterMessages();
          return !stoppe_;
        },
        gardes_);
  }

  NbEchecs = EchecsRestants();
  echecs_.clear();
  fenetre_.AfficherEnCours("FIN");
  fenetre_.Message(Resume());
  if (echecRegistre) std::rethrow_exception(echecRegistre);
}

void TMenage::Stopper() {
  if (!enCours_) return;
  stoppe_ = true;
  scrute_.Arret = true;
  IndexMotif = kNbMotifs;
}

void TMenage::Passe(const std::string& dossier, const std::string& filtre, std::string raison,
                    bool parMasque) {
  raison_ = std::move(raison);
  parMasque_ = parMasque;
  scrute_.Dossier = dossier;
  scrute_.Filtre = filtre;
  scrute_.SousDossier = true;
  // A folder pass empties its own folder, never a save location or a game folder below it.
  if (!parMasque &&
      EmplacementDe(dossier, DossiersJeux, DossiersSauvegardes) == Emplacement::Ailleurs) {
    scrute_.OnEntrer = [this](TScruteDossier&, const std::string& sous) {
      return EmplacementDe(sous, DossiersJeux, DossiersSauvegardes) == Emplacement::Ailleurs;
    };
  }
  niveaux_.clear();
  if (gardes_.Vide()) {
    scrute_.Execute();
  } else {
    // Each folder listed is first placed among the kept ones, then mapped as before.
    struct Ecoute {
      TScruteDossier& scrute;
      TListeEvent avant;
      ~Ecoute() { scrute.OnListe = std::move(avant); }
    } ecoute{scrute_, scrute_.OnListe};
    scrute_.OnListe = [this, &ecoute](TScruteDossier& s, os::Folder& d) {
      Lister(d);
      if (ecoute.avant) ecoute.avant(s, d);
    };
    scrute_.Execute();
  }
  if (!parMasque) scrute_.OnEntrer = nullptr;
}

// The folders of a pass come depth first, each below one listed before it but the first, whose
// own place is looked up through the drive.
void TMenage::Lister(const os::Folder& dossier) {
  const std::string& chemin = dossier.path();
  while (!niveaux_.empty()) {
    const std::string& haut = niveaux_.back().chemin;
    if (chemin.size() > haut.size() && chemin[haut.size()] == '\\' && chemin.starts_with(haut)) {
      break;
    }
    niveaux_.pop_back();
  }
  const os::FileId id = dossier.id();
  const bool garde = niveaux_.empty() ? gardes_.DansUnDossierGarde(executant_.Lecteur(), chemin)
                                      : niveaux_.back().garde || gardes_.Dossier(id);
  niveaux_.push_back({chemin, id, garde});
}

bool TMenage::Garder(const Entree& fichier) {
  if (niveaux_.empty()) return false;
  const Niveau& n = niveaux_.back();
  if (!n.garde && !gardes_.Fichier(n.id, fichier.nom)) return false;
  if (gardesVus_.insert({n.id, std::string(fichier.nom)}).second) {
    ++NbGardes;
    TailleGardee += fichier.taille;
    executant_.Garder(fichier);
  }
  return true;
}

// The first mask pass walks the whole of drive C: while it does, each folder's files are matched
// against the masks of the passes to come. A later pass then enters only the folders where its
// mask found something, or below which it did, and those the first pass did not see; drive C is
// the same but for the run's own deletions, since no program may use it meanwhile.
void TMenage::CarteDesMasques(std::int32_t premier) {
  carte_ = {};
  for (std::int32_t i = premier + 1; i <= kNbMotifs && carte_.textes.size() < 32; ++i) {
    const std::string& masque = plan_.TableMotifs[static_cast<std::size_t>(i - 1)];
    if (masque.empty() || MasqueDangereux(masque)) continue;
    carte_.textes.push_back(masque);
    carte_.masques.emplace_back(masque);
  }
  if (carte_.textes.empty()) return;
  scrute_.OnListe = [this](TScruteDossier&, os::Folder& dossier) {
    std::uint32_t bits = 0;
    const std::size_t nombre = dossier.count() + dossier.unlisted();
    for (std::size_t i = 0; i < nombre; ++i) {
      const std::string_view nom = dossier.name(i);
      for (std::size_t k = 0; k < carte_.masques.size(); ++k) {
        if ((bits & (1u << k)) == 0 && carte_.masques[k].matches(nom) && !dossier.isFolder(i)) {
          bits |= 1u << k;
        }
      }
    }
    carte_.sousArbres[dossier.path()] |= bits;
  };
}

void TMenage::FinirCarte() {
  scrute_.OnListe = nullptr;
  // Each folder's finds belong to every folder above it too.
  std::vector<std::pair<std::string, std::uint32_t>> propres(carte_.sousArbres.begin(),
                                                            carte_.sousArbres.end());
  for (const auto& [dossier, bits] : propres) {
    if (bits == 0) continue;
    for (std::size_t fin = dossier.rfind('\\'); fin != std::string::npos;
         fin = dossier.rfind('\\', fin - 1)) {
      carte_.sousArbres[dossier.substr(0, fin)] |= bits;
      if (fin == 0) break;
    }
  }
}

void TMenage::Elaguer(const std::string& masque) {
  scrute_.OnEntrer = nullptr;
  const auto k = std::find(carte_.textes.begin(), carte_.textes.end(), masque);
  if (k == carte_.textes.end()) return;  // a mask the plan got since: everything is walked
  const std::uint32_t bit = 1u << (k - carte_.textes.begin());
  scrute_.OnEntrer = [this, bit](TScruteDossier&, const std::string& dossier) {
    const auto it = carte_.sousArbres.find(dossier);
    return it == carte_.sousArbres.end() || (it->second & bit) != 0;  // unseen: walked
  };
}

// Between two steps: a program that started in the prefix since the run began stops it, as
// STOPPER would, and says why.
bool TMenage::Continuer() {
  if (stoppe_) return false;
  if (std::optional<std::string> pourquoi = executant_.Reverifier()) {
    Interruption = std::move(*pourquoi);
    Stopper();
  }
  return !stoppe_;
}

bool TMenage::Permis(const char* cle, const std::string& dossier) {
  std::optional<RefusDossier> refus =
      RefuserDossier(dossier, windows_, DossiersJeux, DossiersSauvegardes, ProtegerSauvegardes);
  if (!refus) {
    // The folder's own path: no spelling of the plan's (a short name, a link on the way) hides
    // what the folder is.
    std::optional<std::string> propre;
    try {
      propre = executant_.Lecteur().folderPath(dossier);
    } catch (const os::SystemError&) {
    }
    if (propre) {
      refus =
          RefuserDossier(*propre, windows_, DossiersJeux, DossiersSauvegardes, ProtegerSauvegardes);
    }
  }
  if (!refus) return true;
  PassesSautees.push_back({cle, dossier, std::move(*refus)});
  return false;
}

bool TMenage::MemeDossier(const std::string& a, const std::string& b) const {
  const std::optional<os::Folder> da = executant_.Lecteur().openFolder(a);
  const std::optional<os::Folder> db = executant_.Lecteur().openFolder(b);
  return da && db && da->id() == db->id();
}

// The key is opened (by the real executant, created) whether or not the purge is chosen, so a run
// leaves the same registry behind either way: the key is there, the purge's values gone or kept.
// "url1", "url2", ... up to the first missing number go, all in one change of the hive.
void TMenage::PurgerAdresses() {
  std::optional<os::RegistryKey> cle = executant_.OuvrirCle(kCleAdresses);
  if (!cle || stoppe_ || plan_.TableRegistre[1].empty()) return;
  const std::vector<std::string> valeurs = cle->valueNames();
  // present[n]: a value "url<n>" exists; numbers past the count cannot follow on from 1.
  std::vector<bool> present(valeurs.size() + 2, false);
  for (const std::string& nom : valeurs) {
    const std::size_t n = NumeroAdresse(nom);
    if (n < present.size()) present[n] = true;
  }
  std::vector<std::string> noms;
  for (std::size_t n = 1; present[n]; ++n) noms.push_back("url" + std::to_string(n));
  executant_.SupprimerValeurs(*cle, noms);
}

// Every value of the recent-search key goes, in one change; the key itself stays, and is never
// created.
void TMenage::PurgerRecherches() {
  std::optional<os::RegistryKey> cle = executant_.Lecteur().openKey(kCleRecherches);
  if (cle) executant_.SupprimerValeurs(*cle, cle->valueNames());
}

std::string TMenage::Resume() const {
  // Built by appending: GCC 12 sees a false overlap (-Wrestrict) in "..." + std::string&&.
  std::string texte = std::to_string(NbFichiers);
  texte += " fichiers pour un total de\r";
  texte += TexteTaille(TailleTotale);
  if (NbEchecs > 0) {
    texte += '\r';
    texte += std::to_string(NbEchecs);
    texte += NbEchecs > 1 ? " fichiers n'ont pas pu être supprimés"
                          : " fichier n'a pas pu être supprimé";
  }
  if (NbProteges > 0) {
    texte += '\r';
    texte += std::to_string(NbProteges);
    texte += NbProteges > 1 ? " fichiers protégés (sauvegardes et dossiers de jeux) laissés en place"
                            : " fichier protégé (sauvegarde ou dossier de jeu) laissé en place";
  }
  if (NbGardes > 0) {
    texte += '\r';
    texte += std::to_string(NbGardes);
    texte += NbGardes > 1 ? " fichiers gardés laissés en place" : " fichier gardé laissé en place";
  }
  for (const PasseSautee& passe : PassesSautees) {
    texte += '\r';
    texte += passe.Texte();
  }
  if (!Interruption.empty()) {
    texte += '\r';
    texte += Interruption;
  }
  return texte;
}

void TMenage::ScruteDossier1Execute(TScruteDossier&) {}

void TMenage::ScruteDossier1Fichier(TScruteDossier& Sender, const std::string&) {
  if (Sender.NomFichier() == "index.dat") return;
  // Through the folder that listed the file and the very name it gave: never a sibling that
  // differs in case, never a file a path leads to by now. No failure of one file stops the run.
  const os::Folder& dossier = *Sender.DossierFichier();
  const std::string_view nom = Sender.NomDansDossier();
  if (executant_.DejaSupprime(dossier, nom)) return;  // gone in an earlier pass
  const Entree fichier{dossier, nom, Sender.TailleFichier(),
                       static_cast<Emplacement>(Sender.LieuFichier()), raison_};
  if (Garder(fichier) || executant_.Laisser(fichier)) return;
  // A save or a game's own file is no mask's to take unless the user said so.
  if (parMasque_ && ProtegerSauvegardes && fichier.emplacement != Emplacement::Ailleurs) {
    const std::optional<os::FileId> id = dossier.entryId(nom);
    if (id && proteges_.insert(*id).second) {
      ++NbProteges;
      TailleProtegee += fichier.taille;
      executant_.Epargner(fichier);
    }
    return;
  }
  ++NbFichiers;
  TailleTotale += Sender.TailleFichier();

  try {
    executant_.SupprimerFichier(fichier);
    entames_.insert(dossier.id());
  } catch (const os::SystemError&) {
    NoterEchec(dossier, nom);
  }

  fenetre_.AfficherNbFichiers(std::to_string(NbFichiers));
  fenetre_.AfficherTaille(TexteTaille(TailleTotale));
}

void TMenage::NoterEchec(const os::Folder& dossier, std::string_view nom) {
  if (std::optional<os::FileId> id = dossier.entryId(nom)) {
    echecs_.try_emplace(*id, Echec{dossier.path(), std::string(nom)});
  }
}

// A file that failed in one pass may have gone in a later one: only those still where they were
// listed count. Their folders are opened again one at a time, each once.
std::uint64_t TMenage::EchecsRestants() const {
  std::vector<std::pair<const Echec*, os::FileId>> parDossier;
  for (const auto& [id, echec] : echecs_) parDossier.emplace_back(&echec, id);
  std::sort(parDossier.begin(), parDossier.end(),
            [](const auto& a, const auto& b) { return a.first->dossier < b.first->dossier; });
  std::uint64_t restants = 0;
  std::optional<os::Folder> dossier;
  const std::string* ouvert = nullptr;
  for (const auto& [echec, id] : parDossier) {
    if (ouvert == nullptr || *ouvert != echec->dossier) {
      dossier = executant_.Lecteur().openFolder(echec->dossier);
      ouvert = &echec->dossier;
    }
    if (dossier && !executant_.DejaSupprime(*dossier, echec->nom) &&
        dossier->entryId(echec->nom) == id) {
      ++restants;
    }
  }
  return restants;
}
