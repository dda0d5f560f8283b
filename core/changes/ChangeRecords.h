// Decoding of a batch of directory change records as the system writes them
// (FILE_NOTIFY_INFORMATION: next offset, action, name length in bytes, UTF-16 name).
// This is the one place where the batch's offsets and lengths are trusted or refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "changes/ChangeRecord.h"

namespace trovelle {

// Returns every record of the batch, or nothing at all when any record is malformed: an offset
// or length that leads outside the batch, a backward offset, or an odd name length. Records need
// not start on DWORD boundaries: Windows aligns them, Wine packs them.
std::vector<ChangeRecord> DecodeChangeRecords(const uint8_t* batch, size_t length);

// Whether a batch takes away an item directly inside the watched folder (not one below it).
bool TakesAwayAnEntryOfItsOwn(const uint8_t* batch, size_t length);

}  // namespace trovelle
