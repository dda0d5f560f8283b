// String resource numbers of Trovex.dll.
#pragma once

#define IDS_DEFAULT_TITLE 101
#define IDS_SORT_SUFFIX 102
#define IDS_PERCENT_SUFFIX 103
#define IDS_SIZE_DESCRIPTION 502
#define IDS_SORT_DESCRIPTION 503
#define IDS_PERCENT_DESCRIPTION 504
