#pragma once
#include "colour/Known.h"
#include "host/Web.h"
