#include "FastPaths.h"

bool FastPaths::enabled = true;
