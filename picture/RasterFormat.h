#pragma once

// The raster that tovik-decoder hands back to tovik on its standard output,
// and the size limits that both sides enforce. Plain C++, shared by the
// decoder and the program.
//
// Layout, all integers little-endian:
//   8 bytes  magic "TVKRAST1"
//   4 bytes  width in pixels
//   4 bytes  height in pixels
//   8 bytes  FNV-1a 64-bit checksum of the pixel bytes
//   width * height * 4 bytes of pixels, rows top to bottom, each pixel a
//   32-bit 0xAARRGGBB value (alpha not premultiplied).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tovik::metafile {

inline constexpr char kRasterMagic[8] = {'T', 'V', 'K', 'R', 'A', 'S', 'T', '1'};
inline constexpr std::size_t kRasterHeaderSize = 24;

// No decoded picture may be wider or higher than this, nor hold more pixels
// than kMaxPicturePixels (128 MiB at 4 bytes a pixel).
inline constexpr std::int64_t kMaxPictureSide = 8192;
inline constexpr std::int64_t kMaxPicturePixels = 32LL * 1024 * 1024;

// The reason the renderers give for a picture over the limits; the decoder
// then exits with kExitTooLarge.
inline constexpr const char* kTooLargeReason = "the picture is too large";

// The exit statuses of tovik-decoder.
inline constexpr int kExitUsage = 2;       // wrong arguments
inline constexpr int kExitUnreadable = 3;  // the file cannot be read
inline constexpr int kExitRefused = 4;     // damaged, or not a picture of the kind asked for
inline constexpr int kExitWriteFailed = 5; // the answer could not be written
inline constexpr int kExitTooLarge = 6;    // the picture is larger than the limits
inline constexpr int kExitCutShort = 7;    // the file ends before its picture does

// Metafiles larger than this are not read.
inline constexpr std::int64_t kMaxMetafileBytes = 64LL * 1024 * 1024;

// tovik runs the decoder under these limits: CPU time, and address space
// (but in sanitizer builds, whose shadow memory needs all of it). The
// costliest legal picture, 8192 x 4096 pixels as a progressive JPEG of the
// most scans allowed, takes 4.4 s of CPU time on a loaded 2-core machine;
// any other kind at that size takes at most 2.2 s (a PNG of 16 bits a
// channel). The limit is more than twice that.
inline constexpr int kDecoderCpuSeconds = 10;
inline constexpr std::int64_t kDecoderMemoryBytes = 768LL * 1024 * 1024;

inline bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

struct Raster {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, width * height of them
};

inline std::uint64_t RasterChecksum(const unsigned char* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 0x100000001b3ULL;
    }
    return h;
}

inline void PutLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void PutLe64(unsigned char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline std::uint32_t GetLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t GetLe64(const unsigned char* p) {
    return static_cast<std::uint64_t>(GetLe32(p)) | (static_cast<std::uint64_t>(GetLe32(p + 4)) << 32);
}

// The pixel bytes of a raster in transfer order.
inline std::vector<unsigned char> RasterPixelBytes(const Raster& r) {
    std::vector<unsigned char> bytes(r.pixels.size() * 4);
    for (std::size_t i = 0; i < r.pixels.size(); ++i) PutLe32(bytes.data() + 4 * i, r.pixels[i]);
    return bytes;
}

inline std::vector<unsigned char> RasterHeader(std::uint32_t width, std::uint32_t height,
                                               std::uint64_t checksum) {
    std::vector<unsigned char> h(kRasterHeaderSize);
    std::memcpy(h.data(), kRasterMagic, sizeof kRasterMagic);
    PutLe32(h.data() + 8, width);
    PutLe32(h.data() + 12, height);
    PutLe64(h.data() + 16, checksum);
    return h;
}

}  // namespace tovik::metafile
