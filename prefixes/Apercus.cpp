#include "prefixes/Apercus.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "prefixes/ApercuPrefixe.h"

ApercuDuPrefixe ApercevoirUn(const Prefixe& prefixe, const ChoixCommuns& choix, bool propre) {
  ApercuDuPrefixe a;
  a.prefixe = prefixe;
  try {
    PrefixeOuvert ouvert = OuvrirPrefixe(prefixe, choix, propre);
    a.choixPropres = ouvert.choixPropres;
    a.apercu = ApercuPrefixe(ouvert);
  } catch (const std::exception& e) {
    a.erreur = e.what();
  }
  return a;
}

std::vector<ApercuDuPrefixe> ApercevoirTous(
    const std::vector<Prefixe>& prefixes, const ChoixCommuns& choix,
    const std::function<void(std::size_t, const ApercuDuPrefixe&)>& chacun,
    const std::atomic<bool>* arret, unsigned fils) {
  std::vector<ApercuDuPrefixe> resultats(prefixes.size());
  std::atomic<std::size_t> suivant{0};
  std::mutex rapport;
  auto travailler = [&] {
    for (;;) {
      if (arret != nullptr && arret->load(std::memory_order_relaxed)) return;
      const std::size_t i = suivant.fetch_add(1);
      if (i >= prefixes.size()) return;
      resultats[i] = ApercevoirUn(prefixes[i], choix);
      if (chacun) {
        const std::lock_guard garde(rapport);
        chacun(i, resultats[i]);
      }
    }
  };
  if (fils == 0) fils = std::max(2u, std::thread::hardware_concurrency());
  const std::size_t nombre = std::min<std::size_t>(fils, prefixes.size());
  std::vector<std::thread> threads;
  for (std::size_t k = 1; k < nombre; ++k) threads.emplace_back(travailler);
  travailler();
  for (std::thread& t : threads) t.join();
  return resultats;
}
