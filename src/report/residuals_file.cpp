#include "report/residuals_file.h"
