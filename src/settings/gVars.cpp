#include "settings/gVars.h"

TVars gVars;
