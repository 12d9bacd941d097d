#pragma once

#include <QImage>
#include <QObject>
#include <memory>
#include <thread>
#include <vector>

#include "field/CellCharges.h"
#include "field/FieldGrid.h"
#include "field/FieldGridSolver.h"
#include "picture/FieldViewPainter.h"

class QAction;
class QLabel;
class QWidget;

namespace tovik {

struct MainWindowControls;
struct SimState;
struct WindowServices;
class SettingsStore;

// The whole field in the main window: the items "Эквипотенциали", "Карта
// напряжённости" and "Карта потенциала" of "Меню", their settings, the
// potential read-out under the pointer, and the computation behind them.
//
// After each Preparation the potential and the field on every pixel are
// computed on a thread of their own; the window goes on meanwhile, and the
// views and the read-out appear when the grid is ready. The views are
// painted on the loaded picture, on its uncharged pixels only, and shown
// under the field lines. A new picture takes them away until the next
// Preparation.
class FieldViews : public QObject {
    Q_OBJECT
public:
    FieldViews(QWidget& window, MainWindowControls& controls, SimState& state, SettingsStore& store,
               const WindowServices& services);
    // Waits for a computation that is still running.
    ~FieldViews() override;

    // The texts of the items and the read-out's tip, in the language in use.
    void Retranslate();
    // A Preparation has ended: the field of the new charge model.
    void ModelPrepared();
    // The potential at the pointer, when the grid of the shown picture is
    // ready; "0" otherwise.
    void PointerMoved(float x, float y);
    // The potentials of the equipotential lines shown now, ascending; none
    // while they are off or their field is not ready.
    std::vector<double> ShownLevels() const;
    // The field of the shown picture, when it is computed, and the views
    // shown of it.
    std::shared_ptr<const FieldGrid> ShownGrid() const { return GridMatchesPicture() ? grid_ : nullptr; }
    FieldViewOptions ShownOptions() const { return Options(); }
    // Whether nothing is being computed or waits to be.
    bool Idle() const { return !running_ && !pending_ && !solveNeeded_; }

    // Settings names and the values they take.
    static constexpr const char* EquipotentialsKey = "Equipotentials";  // "0" or "1"
    static constexpr const char* FieldMapKey = "FieldMap";              // "0" none, "1" |E|, "2" potential
    static constexpr int EquipotentialLevels = 16;

private:
    struct Result;
    void LoadSettings();
    void ItemToggled(QAction* item);
    void Start();
    void Finished(const std::shared_ptr<Result>& result);
    FieldViewOptions Options() const;
    bool GridMatchesPicture() const;

    QWidget& window_;
    MainWindowControls& c_;
    SimState& state_;
    SettingsStore& store_;
    const WindowServices& services_;
    QAction* equipotentials_ = nullptr;
    QAction* fieldMap_ = nullptr;
    QAction* potentialMap_ = nullptr;
    QLabel* potential_ = nullptr;

    FieldGridSolver solver_;  // used by the worker only, one computation at a time
    std::thread worker_;
    CellCharges charges_;                     // of the last Preparation
    qint64 chargesPicture_ = 0;               // the picture it was prepared from
    std::shared_ptr<const FieldGrid> grid_;   // its field, once computed
    bool solveNeeded_ = false;
    bool running_ = false;
    bool pending_ = false;
    bool failureReported_ = false;
    int preparations_ = 0;
};

}  // namespace tovik
