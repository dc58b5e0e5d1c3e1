#pragma once
#include "markup/Fix.h"
