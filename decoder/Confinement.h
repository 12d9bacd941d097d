#pragma once

#include <string>

namespace tovik::metafile {

// What the decoder still reads once it is confined: its input alone, or its
// input and (read-only) the fonts the metafile renderers open as they draw
// text.
enum class ReadAccess { InputOnly, InputAndFonts };

// Confines the decoder before it reads a byte of its input. It then runs in
// "/", with no file descriptors but standard input (the picture), standard
// output (the answer) and standard error; it may create no file of any size
// and no process (file-size and process-count limits of zero), gain no
// privileges, and make only the system calls that decoding needs: reading,
// writing to what is open, memory, threads already running, time and
// exiting (and with InputAndFonts, opening files read-only). Any other call
// kills it, which the program reads as a failed decode.
//
// Sanitizer builds take every limit but the filter, whose refusals their
// run-time would trip over. Everything that needs more must be done before: Qt's plugins loaded,
// threads started. Returns false, with the reason, when a step could not be
// taken; the decoder must then stop.
bool ConfineDecoder(ReadAccess access, std::string* reason);

// Closes every file descriptor above standard error; the decoder inherits
// none it needs.
void CloseInheritedFiles();

}  // namespace tovik::metafile
