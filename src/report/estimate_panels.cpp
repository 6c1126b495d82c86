#include "report/estimate_panels.h"
