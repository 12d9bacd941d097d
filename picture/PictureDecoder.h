#pragma once

#include <QImage>
#include <QString>
#include <functional>

#include "picture/PictureFormat.h"

namespace tovik {

// How decoding a picture file through the decoder program went.
enum class DecodeResult {
    Decoded,         // the picture is in the image
    DecoderMissing,  // tovik-decoder was not found or could not be started
    Rejected,        // the decoder read the file and refused it: damaged, or not of its kind
    CutShort,        // the file ends before its picture does
    TooLarge,        // the picture is larger than the limits allow
    Crashed,         // the decoder died on a signal
    TimedOut,        // the decoder ran past its CPU-time or wall-clock limit and was stopped
    BadOutput,       // the decoder's answer was not a well-formed raster
    Cancelled,       // the user gave up waiting (Escape), or the program is quitting
    Busy,            // another picture is being decoded: one at a time
};

// Decodes a picture file in a process of its own (tovik-decoder), as the kind
// its first bytes were sniffed as and nothing else. The decoder runs under an
// address-space limit, a CPU-time limit and a wall-clock limit, so that a
// hostile file costs at most that process and a few seconds. It gets the
// open file as its standard input, never its name, and runs in a process
// group of its own: when it is given up on, the whole group is killed, so
// nothing it may have started outlives it.
//
// While it works the caller's thread keeps handling events: windows repaint,
// the pointer read-outs follow the mouse, and after a moment the pointer
// shows that the program is busy. The Escape key, pressed while no modal
// window is open, gives up waiting. A handler run meanwhile that asks for
// another picture gets Busy at once; a background load (see DecoderClaim)
// gives the decoder up instead. Needs a QCoreApplication; on failure
// *out is left alone.
DecodeResult DecodePicture(const QString& path, PictureKind kind, QImage* out);
// The same for a file open for reading (a regular file; it is read from its
// start and left open).
DecodeResult DecodePictureFile(int fd, PictureKind kind, QImage* out);

// One picture is decoded at a time. A load the user waits for holds the
// decoder in the foreground; a load nobody waits for (the last picture at
// start-up) holds it in the background and gives it up to a foreground one.
class DecoderClaim {
public:
    // Foreground: takes the decoder from a background holder (whose `yield`
    // runs first); not held while another foreground claim holds it.
    DecoderClaim();
    // Background: not held while any claim holds the decoder; `yield` is
    // called, at most once, when a foreground claim takes it over (the claim
    // is no longer held then).
    explicit DecoderClaim(std::function<void()> yield);
    ~DecoderClaim();
    DecoderClaim(const DecoderClaim&) = delete;
    DecoderClaim& operator=(const DecoderClaim&) = delete;

    bool Held() const;

private:
    unsigned id_ = 0;  // 0: not held
};

// The decoder program: the one set for tests, else tovik-decoder next to the
// running program, in the directory above it, or in $TOVIK_BINARY_DIR.
// Empty when there is none.
QString DecoderPath();

// Tests replace the decoder (an empty path restores the search) and shorten
// the wall-clock limit (0 restores it).
void SetDecoderOverride(const QString& program);
void SetDecoderTimeLimit(int milliseconds);
int DecoderTimeLimit();

// The CPU time the decoder may use, in seconds.
int DecoderCpuLimit();

// The address-space limit the decoder runs under, in bytes; 0 when none is
// set (sanitizer builds, whose shadow memory needs the whole address space).
qint64 DecoderMemoryLimit();

}  // namespace tovik
