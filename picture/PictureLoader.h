#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "picture/PictureDecoder.h"
#include "picture/PictureFormat.h"

namespace tovik {

// Decodes a picture file: BMP, JPEG, GIF, PNG, WMF or EMF, its format told by
// its first bytes whatever its name. This process only looks at those bytes,
// from a thread of its own (see PictureLoadJob.h) when there is an event
// loop; the picture is decoded by the decoder program (see PictureDecoder.h),
// as the format sniffed and nothing else, while events go on being handled. A
// file that is missing, empty, of another format, cut short, too large, too
// slow to decode or not a picture is refused. On failure returns false and a
// message for the user that names the file; *out is left alone.
bool LoadPictureFile(const QString& path, QImage* out, QString* error);
// The same for a name as the file system has it, byte for byte; the message
// shows bytes that are not UTF-8 escaped.
bool LoadNativePictureFile(const QByteArray& nativePath, QImage* out, QString* error);

// Why a picture file could not be read.
enum class PictureProblem {
    None,
    NotFound,
    NoAccess,
    NotAFile,        // a folder or a device
    Unreadable,      // reading its first bytes failed
    Empty,
    TooLarge,        // the file, or the picture's side
    NotPicture,      // another format, or a damaged picture
    BadMetafile,     // a damaged or unsupported WMF or EMF file
    DecoderMissing,
    CutShort,
    TimedOut,
    Cancelled,
    Busy,            // another picture is being read
};

// LoadPictureFile without the message and without a thread of its own: the
// problem, None on success.
PictureProblem ReadPictureFile(const QString& path, QImage* out);
// The same for a name as the file system has it, byte for byte.
PictureProblem ReadNativePictureFile(const QByteArray& nativePath, QImage* out);

// The first look at a picture file: opened without waiting (a FIFO cannot
// block it), checked to be a regular file that is not empty nor too large,
// its format sniffed from its first bytes. On a dead network mount it may
// take as long as the system takes to give up.
struct FirstLook {
    PictureProblem problem = PictureProblem::None;
    int fd = -1;  // open on the file when problem is None; the caller closes it
    PictureKind kind = PictureKind::Other;
};
FirstLook LookAtPictureFile(const QByteArray& nativePath);

// The problem that a failed decode of a picture of that kind is for the user.
PictureProblem ProblemOfDecode(DecodeResult result, PictureKind kind);
// The message for the user, naming the file as `shownName`.
QString PictureProblemMessage(PictureProblem problem, const QString& shownName);

}  // namespace tovik
