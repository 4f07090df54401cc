#include "kits/ligne/PlanPrefixe.h"

#include "options/FichierOptions.h"
#include "platform/Prefix.h"

TPlanMenage OuvrirPrefixe(const std::filesystem::path& dossier) {
  os::useExistingPrefix(dossier);
  TPlanMenage plan;
  plan.OptionsValidees = OptionsEnregistrees();
  if (plan.OptionsValidees) LireOptions(plan);
  return plan;
}
