// The GUID definitions generated from TrovexBar.idl, compiled once here.
#include "TrovexBar_i.c"
