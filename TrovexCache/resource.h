#pragma once

#define IDI_TROVEXCACHE 128
#define IDD_SPLASH 203
