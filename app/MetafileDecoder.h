#pragma once

#include <QImage>
#include <QString>

namespace tovik {

// How decoding a WMF or EMF file through the helper program went.
enum class MetafileResult {
    Decoded,         // the picture is in the image
    HelperMissing,   // tovik-metafile was not found or could not be started
    Rejected,        // the helper read the file and refused it
    TooLarge,        // the picture is larger than the limits allow
    Crashed,         // the helper died on a signal
    TimedOut,        // the helper ran past the time limit and was stopped
    BadOutput,       // the helper's answer was not a well-formed raster
};

// Decodes a Windows metafile or enhanced metafile in a separate process
// (tovik-metafile), which runs under a memory limit and a wall-clock limit, so
// that a fault in the metafile libraries costs only that process.
MetafileResult DecodeMetafile(const QString& path, QImage* out);

// The helper program: the one set for tests, else tovik-metafile next to the
// running program, in the directory above it, or in $TOVIK_BINARY_DIR.
// Empty when there is none.
QString MetafileHelperPath();

// Tests replace the helper (an empty path restores the search) and shorten
// the time limit.
void SetMetafileHelperOverride(const QString& program);
void SetMetafileTimeLimit(int milliseconds);
int MetafileTimeLimit();

// The address-space limit the helper runs under, in bytes; 0 when none is set
// (sanitizer builds, whose shadow memory needs the whole address space).
qint64 MetafileMemoryLimit();

}  // namespace tovik
