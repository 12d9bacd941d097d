#pragma once

namespace tovik {

class MainWindow;

// "Открыть": opens a picture file and makes it the current picture.
void OpenPicture(MainWindow& window);
// "Сохранить": writes the drawing area (picture and lines) as a BMP file.
void SavePicture(MainWindow& window);

}  // namespace tovik
