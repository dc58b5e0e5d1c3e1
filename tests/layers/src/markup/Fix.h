#pragma once
#include "hostapi/Host.h"
#include "platform/Log.h"
#include "colour/Known.h"
#include "Gen.h"
