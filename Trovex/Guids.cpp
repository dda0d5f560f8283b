// The GUID definitions generated from Trovex.idl, compiled once here.
#include "Trovex_i.c"
