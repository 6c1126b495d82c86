#include "genetic/candidates.h"
