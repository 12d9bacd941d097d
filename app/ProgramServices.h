#pragma once

#include "ui/WindowServices.h"

namespace tovik {

// The services of the real program: the desktop's dialogs and sounds, and
// the picture files read through the sandboxed decoder and written safely
// (PNG for a name ending in .png, else BMP), and the folder of the bundled
// examples.
WindowServices ProgramServices();

}  // namespace tovik
