#pragma once

#include "ui/WindowServices.h"

namespace tovik {

// The services of the real program: the desktop's dialogs and sounds, and
// the picture files read through the sandboxed decoder and written safely
// (always as BMP).
WindowServices ProgramServices();

}  // namespace tovik
