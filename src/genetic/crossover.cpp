#include "genetic/crossover.h"
