#pragma once
// The player names script lives with the plain code, where publishing uses it too.
#include "host/PlayerNames.h"
