#include "genetic/mutation.h"
