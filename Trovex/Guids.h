// The interfaces and classes Trovex.dll implements or calls, from their IDL.
#pragma once

#include "Trovex.h"
#include "TrovexCache.h"
