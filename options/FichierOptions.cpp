#include "options/FichierOptions.h"
