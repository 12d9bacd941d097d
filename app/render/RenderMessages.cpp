#include "app/render/RenderMessages.h"

#include <QDir>

#include "model/SimState.h"
#include "picture/RasterFormat.h"

namespace tovik {

std::string PictureProblemText(PictureProblem problem, const QString& path) {
    // Built by appending: GCC 12 warns wrongly about "'" + a temporary string.
    std::string file(1, '\'');
    file += QDir::toNativeSeparators(path).toStdString();
    file += '\'';
    switch (problem) {
        case PictureProblem::None: break;
        case PictureProblem::NotFound: return file + ": no such file";
        case PictureProblem::NoAccess: return file + ": permission denied";
        case PictureProblem::NotAFile: return file + " is a folder or a device, not a file";
        case PictureProblem::Unreadable: return file + ": the file cannot be read";
        case PictureProblem::Empty: return file + " is empty";
        case PictureProblem::TooLarge:
            return file + ": the picture is too large (at most " + std::to_string(metafile::kMaxPictureSide) +
                   " pixels wide and high)";
        case PictureProblem::NotPicture:
            return file + " cannot be read as a picture: its format is not supported or the file is damaged";
        case PictureProblem::BadMetafile:
            return file + " cannot be read as a metafile: the file is damaged or its format is not supported";
        case PictureProblem::DecoderMissing:
            return file + " cannot be read: the picture decoder tovik-decoder was not found";
        case PictureProblem::CutShort: return file + " is cut short: the picture in it is incomplete";
        case PictureProblem::TimedOut: return file + " cannot be read: decoding took too long and was stopped";
        case PictureProblem::Cancelled: return "reading " + file + " was cancelled";
        case PictureProblem::Busy: return file + " is not read: another picture is being read";
    }
    return file + " cannot be read";
}

std::string CropNote(int width, int height) {
    if (width <= DrawingWidth && height <= DrawingHeight) return std::string();
    return "only the top-left " + std::to_string(DrawingWidth) + " x " + std::to_string(DrawingHeight) +
           " pixels of the " + std::to_string(width) + " x " + std::to_string(height) + " picture take part";
}

}  // namespace tovik
