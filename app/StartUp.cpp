#include "app/StartUp.h"

#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QString>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "app/PictureLoader.h"
#include "model/SimState.h"
#include "model/NumberText.h"
#include "settings/SettingsStore.h"
#include "ui/MainWindow.h"
#include "ui/PictureArea.h"

namespace tovik {

namespace {

// |floor(number)| within Int; a magnitude beyond the type (an infinite one
// included) becomes its largest value.
template <typename Int>
Int IntegerRule(double number) {
    const double v = std::fabs(std::floor(number));
    constexpr double largest = static_cast<double>(std::numeric_limits<Int>::max());
    const Int r = v <= largest ? static_cast<Int>(v) : std::numeric_limits<Int>::max();
    return r == 0 ? Int{1} : r;
}

// |number| rounded to single precision; a magnitude beyond the single range
// becomes the largest single.
float RealRule(double number) {
    const double v = std::fabs(number);
    const float r = FitsSingle(v) ? static_cast<float>(v) : FLT_MAX;
    return r == 0 ? 1.0f : r;
}

// 5 - log2(CalcSpeed) rounded half up.
int CalcSliderPosition(std::int32_t calcSpeed) {
    // CalcSpeed is at least 1 here, so the logarithm lies within 0..31.
    return 5 - static_cast<int>(std::floor(std::log(static_cast<double>(calcSpeed)) / std::log(2.0) + 0.5));
}

int DrawSliderPosition(std::int16_t drawSpeed) { return 11 - int{drawSpeed}; }

// An ordinary file: it exists, is a regular file (or a link to one) and is
// not hidden (on Unix-like systems: its name does not begin with ".").
bool IsOrdinaryFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

// The start-up sequence over one store and one window.
class StartUpSequence {
public:
    explicit StartUpSequence(MainWindow& window)
        : window_(window), state_(window.state()), store_(window.store()) {}

    void Run() {
        store_.RegPrepare();
        state_.CalcSpeed = LoadInteger<std::int32_t>("CalcSpeed", "8", 8);
        SetSlider(window_.sldrCalc, CalcSliderPosition(state_.CalcSpeed));
        state_.DrawSpeed = LoadInteger<std::int16_t>("DrawSpeed", "4", 4);
        SetSlider(window_.sldrDraw, DrawSliderPosition(state_.DrawSpeed));
        state_.TimeLimit = LoadReal("TimeLimit", "10", 10);
        state_.MaxTension = LoadReal("MaxTension", "5000", 5000);
        state_.PartDimmension = LoadInteger<std::int32_t>("PartDimmension", "25", 25);
        state_.MaxCharge = LoadReal("MaxCharge", "1000", 1000);
        LoadPicture();
        store_.ReleaseSettingsKey();
    }

private:
    bool Read(const char* name, std::string& text) {
        return store_.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text);
    }

    template <typename Int>
    Int LoadInteger(const char* name, const char* defaultText, Int defaultValue) {
        std::string text;
        if (Read(name, text)) return IntegerRule<Int>(TextToNumber(text));
        store_.SetKeyValue(name, defaultText);
        return defaultValue;
    }

    float LoadReal(const char* name, const char* defaultText, float defaultValue) {
        std::string text;
        if (Read(name, text)) return RealRule(TextToNumber(text));
        store_.SetKeyValue(name, defaultText);
        return defaultValue;
    }

    // The slider shows the nearest position it has; its handler does not run.
    static void SetSlider(QSlider* slider, int position) {
        MainWindow::SetSliderPosition(slider, std::clamp(position, slider->minimum(), slider->maximum()));
    }

    void LoadPicture() {
        std::string text;
        if (Read("FileName", text)) {
            const QString path = QString::fromStdString(text);
            QImage image;
            QString error;
            // A file that is not a readable picture counts as gone; start-up
            // reports nothing.
            if (IsOrdinaryFile(path) && LoadPictureFile(path, &image, &error)) {
                state_.FileName = text;
                window_.pctMain->setPicture(image);
                window_.Command3->setText(QStringLiteral("Подготовка"));
                return;
            }
        }
        store_.SetKeyValue("FileName", "");
        state_.FileName.clear();
    }

    MainWindow& window_;
    SimState& state_;
    SettingsStore& store_;
};

}  // namespace

void RunStartUp(MainWindow& window) { StartUpSequence(window).Run(); }

void RunShutDown(MainWindow& window) { window.store().ReleaseSettingsKey(); }

}  // namespace tovik
