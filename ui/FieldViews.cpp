#include "ui/FieldViews.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <cmath>
#include <exception>
#include <string>

#include "field/Equipotentials.h"
#include "model/NumberText.h"
#include "model/SimState.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/MainWindowControls.h"
#include "ui/PictureArea.h"
#include "ui/WindowServices.h"

namespace tovik {

// What a computation hands back to the window.
struct FieldViews::Result {
    std::shared_ptr<const FieldGrid> grid;
    QImage views;
    QString failure;
    int preparation = 0;
    qint64 picture = 0;
};

FieldViews::FieldViews(QWidget& window, MainWindowControls& c, SimState& state, SettingsStore& store,
                       const WindowServices& services)
    : QObject(&window), window_(window), c_(c), state_(state), store_(store), services_(services) {
    setObjectName("FieldViews");
    // The window prepares the same picture again and again, off its own thread.
    solver_.SetMeasuredPlans(true);
    const auto item = [&](const char* name) {
        QAction* a = c_.Menu->addAction(QString());
        a->setObjectName(name);
        a->setCheckable(true);
        return a;
    };
    equipotentials_ = item("mnEquipotentials");
    fieldMap_ = item("mnFieldMap");
    potentialMap_ = item("mnPotentialMap");
    LoadSettings();
    for (QAction* a : {equipotentials_, fieldMap_, potentialMap_})
        connect(a, &QAction::triggered, this, [this, a] { ItemToggled(a); });

    // In the free space of the panel's lower row, between "Выход" and
    // "Сохранить", so that the three read-outs keep their places and sizes.
    potential_ = MakeLabel(c_.frmControl, "Phi", "0", 184, 60, 84, 17, false);
    Retranslate();
}

void FieldViews::Retranslate() {
    equipotentials_->setText(tr("Эквипотенциали"));
    fieldMap_->setText(tr("Карта напряжённости"));
    potentialMap_->setText(tr("Карта потенциала"));
    potential_->setToolTip(tr("Потенциал в данной точке"));
}

FieldViews::~FieldViews() {
    if (worker_.joinable()) worker_.join();
}

void FieldViews::LoadSettings() {
    // Only the values this window writes count; anything else is the
    // default, off.
    std::string text;
    const auto read = [&](const char* name) {
        return store_.GetKeyValue(KeyRoot::CurrentUser, SettingsStore::KeyPath, name, text) ? text : std::string();
    };
    equipotentials_->setChecked(read(EquipotentialsKey) == "1");
    const std::string map = read(FieldMapKey);
    fieldMap_->setChecked(map == "1");
    potentialMap_->setChecked(map == "2");
}

void FieldViews::ItemToggled(QAction* item) {
    // One map at a time.
    if (item == fieldMap_ && fieldMap_->isChecked()) potentialMap_->setChecked(false);
    if (item == potentialMap_ && potentialMap_->isChecked()) fieldMap_->setChecked(false);
    store_.RegPrepare();
    store_.SetKeyValue(EquipotentialsKey, equipotentials_->isChecked() ? "1" : "0");
    store_.SetKeyValue(FieldMapKey, fieldMap_->isChecked() ? "1" : potentialMap_->isChecked() ? "2" : "0");
    Start();
}

FieldViewOptions FieldViews::Options() const {
    FieldViewOptions o;
    o.equipotentials = equipotentials_->isChecked() ? EquipotentialLevels : 0;
    o.map = fieldMap_->isChecked()       ? FieldMapKind::Field
            : potentialMap_->isChecked() ? FieldMapKind::Potential
                                         : FieldMapKind::None;
    return o;
}

std::vector<double> FieldViews::ShownLevels() const {
    if (!equipotentials_->isChecked() || !grid_ || !GridMatchesPicture()) return {};
    return tovik::EquipotentialLevels(*grid_, EquipotentialLevels);
}

bool FieldViews::GridMatchesPicture() const {
    return chargesPicture_ != 0 && chargesPicture_ == c_.pctMain->picture().cacheKey();
}

void FieldViews::ModelPrepared() {
    ++preparations_;
    charges_ = ChargesOf(state_, c_.pctMain->drawingWidth(), c_.pctMain->drawingHeight());
    chargesPicture_ = c_.pctMain->picture().cacheKey();
    grid_.reset();
    solveNeeded_ = true;
    Start();
}

void FieldViews::Start() {
    if (running_) {
        pending_ = true;
        return;
    }
    const QImage picture = c_.pctMain->picture();
    const FieldViewOptions options = Options();
    if (!GridMatchesPicture() || (!solveNeeded_ && (!options.Any() || !grid_))) {
        // No field for this picture, or nothing to show.
        c_.pctMain->setViews(picture);
        return;
    }
    running_ = true;
    if (worker_.joinable()) worker_.join();
    const bool solve = solveNeeded_;
    const CellCharges charges = solve ? charges_ : CellCharges{};
    const std::shared_ptr<const FieldGrid> known = grid_;
    const int preparation = preparations_;
    const qint64 key = chargesPicture_;
    worker_ = std::thread([this, solve, charges, known, picture, options, preparation, key] {
        auto r = std::make_shared<Result>();
        r->preparation = preparation;
        r->picture = key;
        try {
            r->grid = solve ? std::make_shared<const FieldGrid>(solver_.Solve(charges)) : known;
            r->views = picture.copy();
            PaintFieldViews(r->views, *r->grid, options);
        } catch (const std::exception& e) {
            r->failure = QString::fromStdString(e.what());
            r->grid.reset();
        }
        QMetaObject::invokeMethod(this, [this, r] { Finished(r); }, Qt::QueuedConnection);
    });
}

void FieldViews::Finished(const std::shared_ptr<Result>& r) {
    running_ = false;
    if (worker_.joinable()) worker_.join();
    const bool current = r->preparation == preparations_ && r->picture == chargesPicture_;
    if (!r->failure.isEmpty()) {
        // Reported once; the views stay off and the window goes on.
        if (!failureReported_)
            services_.showError(&window_, tr("Поле не удалось рассчитать: %1").arg(r->failure));
        failureReported_ = true;
        if (current) solveNeeded_ = false;
        c_.pctMain->setViews(c_.pctMain->picture());
    } else if (current) {
        grid_ = r->grid;
        solveNeeded_ = false;
        if (GridMatchesPicture()) c_.pctMain->setViews(r->views);
    }
    if (pending_ || !current) {
        pending_ = false;
        Start();
    }
}

void FieldViews::PointerMoved(float x, float y) {
    QString text = QStringLiteral("0");
    if (grid_ && GridMatchesPicture() && std::isfinite(x) && std::isfinite(y)) {
        const long px = std::lround(x), py = std::lround(y);
        if (px >= 0 && py >= 0 && px < grid_->Width && py < grid_->Height)
            text = QString::number(grid_->Potential[grid_->At(static_cast<int>(px), static_cast<int>(py))], 'g', 7);
    }
    potential_->setText(text);
}

}  // namespace tovik
