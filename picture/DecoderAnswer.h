#pragma once

#include <QByteArray>
#include <QImage>

namespace tovik {

// The answer of the decoder program is a checked raster (see
// picture/RasterFormat.h). Both checks take bytes that may be garbled,
// cut short or endless.

// Checks a whole answer and turns it into an image; false for anything but a
// well-formed raster of an allowed size whose checksum matches, in which case
// *out is left alone.
bool ParseRaster(const QByteArray& bytes, QImage* out);

// True as soon as the bytes read so far cannot be the start of a well-formed
// answer: a header that is no header, or more bytes than the header
// announces. Reading stops there.
bool AnswerTooLong(const QByteArray& bytes);

// The length of the answer its header announces, once the header is in; 0
// before that and for a header of no allowed picture.
qint64 AnnouncedAnswerLength(const QByteArray& bytes);

}  // namespace tovik
