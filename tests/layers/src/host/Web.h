#pragma once
#include "hostapi/Host.h"
#include "platform/Log.h"
#include "addin/Wiring.h"
#include "Missing.h"
