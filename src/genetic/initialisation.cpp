#include "genetic/initialisation.h"
