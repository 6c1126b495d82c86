#include "report/predictions_file.h"
