#include "ui/StartUp.h"

#include <QFileInfo>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QString>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "model/NumberText.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureCommands.h"

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

// A hidden file: on Unix-like systems, one whose name begins with ".". Told
// by the name alone: whether the file exists is asked by the reload, away
// from the window, since on a dead network mount even that can take minutes.
bool IsHiddenName(const QString& path) { return QFileInfo(path).fileName().startsWith(QLatin1Char('.')); }

}  // namespace

StartUpSequence::StartUpSequence(MainWindowControls& controls, SimState& state, SettingsStore& store,
                                 PictureCommands& files)
    : c_(controls), state_(state), store_(store), files_(files) {}

void SetSliderQuietly(QSlider* slider, int position) {
    const QSignalBlocker block(slider);
    slider->setValue(std::clamp(position, slider->minimum(), slider->maximum()));
}

void StartUpSequence::Run() {
    store_.RegPrepare();
    state_.CalcSpeed = LoadInteger<std::int32_t>("CalcSpeed", "8", 8);
    // The sliders show the nearest position they have; their handlers do not run.
    SetSliderQuietly(c_.sldrCalc, CalcSliderPosition(state_.CalcSpeed));
    state_.DrawSpeed = LoadInteger<std::int16_t>("DrawSpeed", "4", 4);
    SetSliderQuietly(c_.sldrDraw, DrawSliderPosition(state_.DrawSpeed));
    state_.TimeLimit = LoadReal("TimeLimit", "10", 10);
    state_.MaxTension = LoadReal("MaxTension", "5000", 5000);
    state_.PartDimmension = LoadInteger<std::int32_t>("PartDimmension", "25", 25);
    state_.MaxCharge = LoadReal("MaxCharge", "1000", 1000);
    LoadPicture();
    store_.ReleaseSettingsKey();
}

bool StartUpSequence::Read(const char* name, std::string& text) {
    return store_.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text);
}

template <typename Int>
Int StartUpSequence::LoadInteger(const char* name, const char* defaultText, Int defaultValue) {
    std::string text;
    if (Read(name, text)) return IntegerRule<Int>(TextToNumber(text));
    store_.SetKeyValue(name, defaultText);
    return defaultValue;
}

float StartUpSequence::LoadReal(const char* name, const char* defaultText, float defaultValue) {
    std::string text;
    if (Read(name, text)) return RealRule(TextToNumber(text));
    store_.SetKeyValue(name, defaultText);
    return defaultValue;
}

void StartUpSequence::LoadPicture() {
    std::string text;
    if (Read("FileName", text) && !IsHiddenName(QString::fromStdString(text))) {
        state_.FileName = text;
        SetPreparationCaption(c_.Command3, false);
        files_.Reload(QString::fromStdString(text));
        return;
    }
    store_.SetKeyValue("FileName", "");
    state_.FileName.clear();
}

}  // namespace tovik
