#include "cleaning/PlanMenage.h"

TPlanMenage PlanMenage;

void TPlanMenage::Clear() {
  TableDossiers.fill({});
  TableRegistre.fill({});
  TableMotifs.fill({});
}
