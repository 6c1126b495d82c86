#include "run/series_input.h"
