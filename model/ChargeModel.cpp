#include "model/ChargeModel.h"

namespace tovik {

ChargeModel::ChargeModel()
    : PixelColor(static_cast<std::size_t>(GridColumns) * GridRows, 0),
      ChargeDensity(static_cast<std::size_t>(GridColumns) * GridRows, 0.0f) {}

ChargeModelPtr EmptyChargeModel() { return std::make_shared<const ChargeModel>(); }

}  // namespace tovik
