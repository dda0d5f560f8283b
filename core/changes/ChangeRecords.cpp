#include "changes/ChangeRecords.h"

#include <algorithm>


namespace trovelle {
namespace {

constexpr size_t kHeaderBytes = 12;  // next offset, action, name length

uint32_t ReadUint32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

}  // namespace

std::vector<ChangeRecord> DecodeChangeRecords(const uint8_t* batch, size_t length) {
    std::vector<ChangeRecord> records;
    if (batch == nullptr) return records;
    size_t position = 0;
    for (;;) {
        if (length < kHeaderBytes || position > length - kHeaderBytes) return {};
        const uint8_t* record = batch + position;
        const uint32_t nextOffset = ReadUint32(record);
        const uint32_t nameBytes = ReadUint32(record + 8);
        if (nameBytes % 2 != 0 || nameBytes > length - position - kHeaderBytes) return {};
        if (nextOffset != 0 &&
            (nextOffset < kHeaderBytes + nameBytes ||
             nextOffset > length - position)) {
            return {};
        }
        ChangeRecord decoded;
        decoded.action = ReadUint32(record + 4);
        decoded.name.resize(nameBytes / 2);
        for (size_t unit = 0; unit < decoded.name.size(); ++unit) {
            const uint8_t* at = record + kHeaderBytes + unit * 2;
            decoded.name[unit] = static_cast<char16_t>(at[0] | at[1] << 8);
        }
        records.push_back(std::move(decoded));
        if (nextOffset == 0) return records;
        position += nextOffset;
    }
}

bool TakesAwayAnEntryOfItsOwn(const uint8_t* batch, size_t length) {
    const std::vector<ChangeRecord> records = DecodeChangeRecords(batch, length);
    return std::any_of(records.begin(), records.end(), [](const ChangeRecord& record) {
        return TakesItemAway(record.action) && record.name.find(u'\\') == std::u16string::npos;
    });
}

}  // namespace trovelle
