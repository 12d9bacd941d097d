#include "app/PictureFiles.h"

#include "ui/MainWindow.h"

namespace tovik {

void OpenPicture(MainWindow&) {}
void SavePicture(MainWindow&) {}

}  // namespace tovik
