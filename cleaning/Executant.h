#pragma once
// What a cleaning run does to what it finds, behind one interface: the run decides what goes,
// the executant makes it go. The run's only changes to files and to the registry pass here, and
// so does every question whose answer a change made earlier in the run would alter.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/Entree.h"
#include "platform/Drive.h"
#include "platform/Folder.h"
#include "platform/PrefixUse.h"
#include "platform/Registry.h"

class IExecutant {
 public:
  virtual ~IExecutant() = default;
  // The drive the run works on.
  virtual const os::Drive& Lecteur() const = 0;
  // Before the run changes anything; throws (os::SystemError, French) when it may not start.
  virtual void Commencer() = 0;
  // True when the file `nom` of `dossier` has already gone through this executant: a later pass
  // finds it gone.
  virtual bool DejaSupprime(const os::Folder& dossier, std::string_view nom) = 0;
  // The file goes, its read-only, hidden and system attributes cleared first; throws
  // os::SystemError.
  virtual void SupprimerFichier(const Entree& fichier) = 0;
  // A file the run leaves because it is protected (a save or a game's own file).
  virtual void Epargner(const Entree&) {}
  // A file the run leaves because the user keeps it for good (Gardes.h).
  virtual void Garder(const Entree&) {}
  // True when the user chose to leave this file where it is: the run passes it over, neither
  // counted nor touched.
  virtual bool Laisser(const Entree&) { return false; }
  // Between two steps of the run: why the run must stop now (a program started in the drive's
  // prefix since Commencer), or nothing.
  virtual std::optional<std::string> Reverifier() { return std::nullopt; }
  // The empty sub-folder `nom` of `dossier` goes; throws os::SystemError.
  virtual void SupprimerDossier(const os::Folder& dossier, std::string_view nom) = 0;
  // The key `chemin` whose values a purge deletes, created when missing where the executant
  // may create it; nothing when it is missing. Throws os::SystemError.
  virtual std::optional<os::RegistryKey> OuvrirCle(std::string_view chemin) = 0;
  // The values `noms` of `cle` go (missing ones passed over); throws os::SystemError.
  virtual void SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) = 0;
};

// The executant of a real run: acts at once, through the folder or the key it is given.
class TExecutant : public IExecutant {
 public:
  // `lecteur` must outlive the executant.
  explicit TExecutant(const os::Drive& lecteur) : lecteur_(lecteur), veille_(lecteur.prefix()) {}

  const os::Drive& Lecteur() const override { return lecteur_; }
  // No other program may be using the drive's prefix: every process is looked at
  // (os::PrefixWatch::start, which throws).
  void Commencer() override;
  // A program that started in the prefix since the previous look, told in French: its server,
  // pfx.lock, and the processes that are new since (os::PrefixWatch::recheck).
  std::optional<std::string> Reverifier() override;
  // Always false: what went is no longer listed.
  bool DejaSupprime(const os::Folder& dossier, std::string_view nom) override;
  void SupprimerFichier(const Entree& fichier) override;
  void SupprimerDossier(const os::Folder& dossier, std::string_view nom) override;
  // Creates the key when it is missing.
  std::optional<os::RegistryKey> OuvrirCle(std::string_view chemin) override;
  void SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) override;

 private:
  const os::Drive& lecteur_;
  os::PrefixWatch veille_;
};
