#include "estimation/least_squares.h"
