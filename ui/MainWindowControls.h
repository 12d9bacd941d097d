#pragma once

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;

namespace tovik {

class PictureArea;
class WindowNotice;

// The controls of the main window, named as in its layout. They belong to
// the window: only the window and the parts of its own implementation
// (Preparation's view, start-up, the area tools, the picture commands) see
// them.
struct MainWindowControls {
    QGroupBox* frmControl = nullptr;
    QPushButton* Command1 = nullptr;  // "Выход"
    QPushButton* Command2 = nullptr;  // "Пуск"
    QPushButton* Command3 = nullptr;  // "Подготовка"
    QPushButton* Command4 = nullptr;  // "Очистка"
    QPushButton* Command5 = nullptr;  // "Дополнительно..."
    QPushButton* Command6 = nullptr;  // "О программе..."
    QPushButton* Command7 = nullptr;  // "Открыть"
    QPushButton* Command8 = nullptr;  // "Сохранить"
    QLabel* Er = nullptr;
    QLabel* Ex = nullptr;
    QLabel* Ey = nullptr;
    QGroupBox* frmDraw = nullptr;
    QSlider* sldrDraw = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* frmCalc = nullptr;
    QSlider* sldrCalc = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* prBar = nullptr;
    WindowNotice* lblNotice = nullptr;  // what a command found, until the next one
    PictureArea* pctMain = nullptr;
    QMenu* Menu = nullptr;
    QAction* mnCharge = nullptr;
    QAction* mnClear = nullptr;
    QAction* mnLines = nullptr;
    QAction* mnExport = nullptr;  // "Экспорт...", after the items of the field views
};

}  // namespace tovik
