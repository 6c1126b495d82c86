#include "estimation/series_statistics.h"
