#pragma once

#include <QString>
#include <string>

#include "picture/PictureLoader.h"

namespace tovik {

// The renderer's own texts, in English like its help and manual page.

// Why the picture `path` cannot be read.
std::string PictureProblemText(PictureProblem problem, const QString& path);

// Empty for a picture that fits the drawing area; else the note that only its
// top-left part takes part, naming the picture's size.
std::string CropNote(int width, int height);

}  // namespace tovik
