#include "TypeLibFile.h"

#include <cstdio>

namespace trovelle::installer {
namespace {

constexpr uint32_t kMagic = 0x5446534D;        // "MSFT"
constexpr uint32_t kHelpDllFlag = 0x100;       // an extra word follows the header
constexpr size_t kHeaderSize = 0x54;
constexpr size_t kSegmentCount = 15;
constexpr size_t kTypeInfoSize = 0x64;
enum Segment { TypeInfos = 0, Guids = 5, Names = 7, Strings = 8 };

// Bounds-checked little-endian reads; the first failure sticks.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint32_t U32(size_t at) {
        if (!Has(at, 4)) return 0;
        return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 |
               static_cast<uint32_t>(bytes_[at + 3]) << 24;
    }
    uint16_t U16(size_t at) {
        return static_cast<uint16_t>(Has(at, 2) ? bytes_[at] | bytes_[at + 1] << 8 : 0);
    }
    std::wstring Latin1(size_t at, size_t length) {
        if (!Has(at, length)) return {};
        return std::wstring(bytes_.begin() + at, bytes_.begin() + at + length);
    }
    bool Has(size_t at, size_t length) {
        if (at > bytes_.size() || length > bytes_.size() - at) failed_ = true;
        return !failed_;
    }
    bool Failed() const { return failed_; }

private:
    const std::vector<uint8_t>& bytes_;
    bool failed_ = false;
};

struct Segments {
    uint32_t offset[kSegmentCount];
    uint32_t length[kSegmentCount];
};

// An offset inside a segment, or nothing when it does not fit there with `size` bytes.
std::optional<size_t> InSegment(const Segments& segments, Segment segment, uint32_t offset,
                                size_t size) {
    if (offset == 0xFFFFFFFF || offset > segments.length[segment] ||
        size > segments.length[segment] - offset) {
        return std::nullopt;
    }
    return static_cast<size_t>(segments.offset[segment]) + offset;
}

std::wstring FormatGuid(Reader& reader, size_t at) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", reader.U32(at),
                  reader.U16(at + 4), reader.U16(at + 6), reader.U32(at + 8) & 0xFF,
                  reader.U32(at + 8) >> 8 & 0xFF, reader.U32(at + 8) >> 16 & 0xFF,
                  reader.U32(at + 8) >> 24, reader.U32(at + 12) & 0xFF,
                  reader.U32(at + 12) >> 8 & 0xFF, reader.U32(at + 12) >> 16 & 0xFF,
                  reader.U32(at + 12) >> 24);
    return text;
}

class Parser {
public:
    explicit Parser(const std::vector<uint8_t>& bytes) : reader_(bytes) {}

    std::optional<TypeLibInfo> Parse(std::string& error) {
        if (reader_.U32(0) != kMagic || reader_.Failed()) {
            error = "not a type library in the MSFT format";
            return std::nullopt;
        }
        const uint32_t varFlags = reader_.U32(0x14);
        const uint32_t typeCount = reader_.U32(0x20);
        size_t directory = kHeaderSize + ((varFlags & kHelpDllFlag) != 0 ? 4 : 0);
        if (typeCount > 0x10000) {
            error = "implausible number of types";
            return std::nullopt;
        }
        directory += 4 * static_cast<size_t>(typeCount);
        for (size_t i = 0; i < kSegmentCount; ++i) {
            segments_.offset[i] = reader_.U32(directory + 16 * i);
            segments_.length[i] = reader_.U32(directory + 16 * i + 4);
            // An unused segment has no offset and no length.
            const bool used = segments_.length[i] != 0;
            if (used && !reader_.Has(segments_.offset[i], segments_.length[i])) break;
        }
        if (reader_.Failed()) {
            error = "segment directory out of the file";
            return std::nullopt;
        }

        TypeLibInfo info;
        info.libId = Guid(reader_.U32(0x08));
        info.lcid = reader_.U32(0x10);  // the library's own; the one at 0x0C is for its names
        info.sysKind = varFlags & 0xF;
        info.majorVersion = static_cast<uint16_t>(reader_.U32(0x18) & 0xFFFF);
        info.minorVersion = static_cast<uint16_t>(reader_.U32(0x18) >> 16);
        info.libFlags = static_cast<uint16_t>(reader_.U32(0x1C) & 0xFFFF);
        info.docString = String(reader_.U32(0x24));
        info.name = Name(reader_.U32(0x38));
        for (uint32_t index = 0; index < typeCount && ok_; ++index) {
            const auto base = InSegment(segments_, TypeInfos, index * kTypeInfoSize, kTypeInfoSize);
            if (!base) {
                Fail("type information out of its segment");
                break;
            }
            TypeInfoEntry type;
            type.kind = static_cast<TypeKind>(reader_.U32(*base) & 0xF);
            type.flags = reader_.U32(*base + 0x30);
            type.guid = Guid(reader_.U32(*base + 0x2C));
            type.name = Name(reader_.U32(*base + 0x34));
            info.types.push_back(std::move(type));
        }
        if (info.libId.empty()) Fail("the library has no identifier");
        if (!ok_ || reader_.Failed()) {
            error = error_.empty() ? "truncated type library" : error_;
            return std::nullopt;
        }
        return info;
    }

private:
    // A GUID table entry is the GUID, its type reference and the next entry of its hash chain.
    std::wstring Guid(uint32_t offset) {
        if (offset == 0xFFFFFFFF) return {};
        const auto at = InSegment(segments_, Guids, offset, 24);
        if (!at) return Fail("GUID out of its segment"), std::wstring();
        return FormatGuid(reader_, *at);
    }

    // A name table entry: type reference, hash chain, then the length in its low byte.
    std::wstring Name(uint32_t offset) {
        const auto at = InSegment(segments_, Names, offset, 12);
        if (!at) return Fail("name out of its segment"), std::wstring();
        const size_t length = reader_.U32(*at + 8) & 0xFF;
        if (!InSegment(segments_, Names, offset + 12, length)) {
            return Fail("name cut short"), std::wstring();
        }
        return reader_.Latin1(*at + 12, length);
    }

    // A string table entry: a 16-bit length, then the characters. No string: offset -1.
    std::wstring String(uint32_t offset) {
        if (offset == 0xFFFFFFFF) return {};
        const auto at = InSegment(segments_, Strings, offset, 2);
        if (!at) return Fail("string out of its segment"), std::wstring();
        const size_t length = reader_.U16(*at);
        if (!InSegment(segments_, Strings, offset + 2, length)) {
            return Fail("string cut short"), std::wstring();
        }
        return reader_.Latin1(*at + 2, length);
    }

    void Fail(const char* why) {
        if (ok_) error_ = why;
        ok_ = false;
    }

    Reader reader_;
    Segments segments_ = {};
    bool ok_ = true;
    std::string error_;
};

}  // namespace

std::optional<TypeLibInfo> ReadTypeLib(const std::vector<uint8_t>& bytes, std::string& error) {
    return Parser(bytes).Parse(error);
}

}  // namespace trovelle::installer
