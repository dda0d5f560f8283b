// The interfaces and classes TrovexBar.dll implements or calls, from their IDL.
#pragma once

#include "TrovexBar.h"
#include "TrovexCache.h"
