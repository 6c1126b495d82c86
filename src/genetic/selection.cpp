#include "genetic/selection.h"
