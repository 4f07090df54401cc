#pragma once
// The previews of several prefixes made in a thread of the window's own (ApercevoirTous: several
// at once, one thread a core), so that a window shows its prefixes at once and what a run would
// free there as it comes. The threads touch nothing but the prefixes they preview (nothing is
// written there) and the copies they were given; each preview reaches the object's own thread
// through its event queue (the signal Pret).
#include <QObject>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "prefixes/Apercus.h"

// A preview handed from thread to thread, never changed once made.
using ApercuPartage = std::shared_ptr<const ApercuDuPrefixe>;

class ApercusEnFond : public QObject {
  Q_OBJECT
 public:
  // The previews of `prefixes` with their own options or `choix`. `resumes`: the previews'
  // lists of files, values and folders are left out of what is handed over (their counters and
  // the protected files kept), for a window that shows only what they add up to.
  ApercusEnFond(std::vector<Prefixe> prefixes, ChoixCommuns choix, bool resumes,
                QObject* parent = nullptr);
  // Starts them (once), connected as they should be.
  void Lancer();
  // Abandonne(), then waits for the previews under way.
  ~ApercusEnFond() override;
  ApercusEnFond(const ApercusEnFond&) = delete;
  ApercusEnFond& operator=(const ApercusEnFond&) = delete;

  // No further preview starts; those under way end (their Pret still comes), then Fini.
  void Abandonner() { arret_ = true; }
  bool Abandonne() const { return arret_; }

 signals:
  // The preview of prefix number `numero` (in the order given) is made.
  void Pret(int numero, ApercuPartage apercu);
  // Every preview is made, or the previews were abandoned and those under way are made.
  void Fini();

 private:
  std::vector<Prefixe> prefixes_;
  const ChoixCommuns choix_;
  const bool resumes_;
  std::atomic<bool> arret_{false};
  std::thread fil_;
};
