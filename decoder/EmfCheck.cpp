#include "decoder/EmfCheck.h"

#include <uemf_safe.h>

#include <algorithm>
#include <cstdint>

namespace tovik::metafile {

namespace {

constexpr std::size_t kMinHeaderSize = 88;

std::uint64_t U32(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint64_t>(d[at]) | (static_cast<std::uint64_t>(d[at + 1]) << 8) |
           (static_cast<std::uint64_t>(d[at + 2]) << 16) | (static_cast<std::uint64_t>(d[at + 3]) << 24);
}

// The offset of the first zero UTF-16 unit at or after `at`, before `end`;
// `end` when there is none.
std::uint64_t ZeroUnit(const std::vector<unsigned char>& d, std::uint64_t at, std::uint64_t end) {
    for (; at + 2 <= end; at += 2)
        if (d[at] == 0 && d[at + 1] == 0) return at;
    return end;
}

// libemf2svg converts a UTF-16 text at `at` of `count` units, or up to its
// terminator when the count is 0: it must end before `end`.
bool TextInside(const std::vector<unsigned char>& d, std::uint64_t at, std::uint64_t count, std::uint64_t end) {
    if (at > end) return false;
    return count > 0 ? count * 2 <= end - at : ZeroUnit(d, at, end) < end;
}

// The header's description is read twice: `count` units from its offset,
// then `count` units again after the first terminator.
bool DescriptionInside(const std::vector<unsigned char>& d, std::uint64_t end) {
    const std::uint64_t count = U32(d, 60), offset = U32(d, 64);
    if (offset == 0) return true;  // no description: nothing is read
    if (!TextInside(d, offset, count, end)) return false;
    const std::uint64_t zero = ZeroUnit(d, offset, end);
    return zero < end && TextInside(d, zero + 2, count, end);
}

bool Refuse(const char* why, std::string* error) {
    *error = why;
    return false;
}

}  // namespace

bool EmfRecordsSafe(const std::vector<unsigned char>& d, std::string* error) {
    if (d.size() < kMinHeaderSize) return Refuse("no enhanced-metafile header", error);
    const std::uint64_t end = std::min<std::uint64_t>(U32(d, 48), d.size());
    const std::uint64_t headerSize = U32(d, 4);
    if (headerSize < kMinHeaderSize || headerSize > end) return Refuse("the header record is damaged", error);
    if (!DescriptionInside(d, end)) return Refuse("the header's description runs past the end", error);
    for (std::uint64_t pos = 0; pos + 8 <= end;) {
        const std::uint64_t size = U32(d, pos + 4);
        if (size < 8 || size % 4 != 0 || size > end - pos) return Refuse("a record runs past the end", error);
        if (!U_emf_record_safe(reinterpret_cast<const char*>(d.data() + pos)))
            return Refuse("a record points outside itself", error);
        pos += size;
    }
    return true;
}

}  // namespace tovik::metafile
