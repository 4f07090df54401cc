#include "scanner/Scrute.h"

void TScruteDossier::Execute() {}
