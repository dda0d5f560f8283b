#include "index/Totals.h"

#include <ostream>

namespace trovelle {

void PrintTo(const ByteTotals& totals, std::ostream* out) {
    *out << totals.bytes << " bytes, " << totals.onDisk << " on disk";
}

}  // namespace trovelle
