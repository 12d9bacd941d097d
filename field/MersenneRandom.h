#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "model/Ports.h"

namespace tovik {

// The generator of "Пуск": a Mersenne twister. Without a seed it is seeded
// from the time of day and a count of its runs for every run; with one,
// every run draws the same points.
class MersenneRandom : public RandomSource {
public:
    MersenneRandom() = default;
    explicit MersenneRandom(std::uint32_t seed) : seed_(seed) {}

    void Randomize() override;
    // 24 random bits scaled exactly into [0, 1).
    float Rnd() override;
    std::unique_ptr<RandomSource> Clone() const override { return std::make_unique<MersenneRandom>(*this); }

private:
    std::optional<std::uint32_t> seed_;
    std::uint64_t runs_ = 0;
    std::mt19937 gen_;
};

}  // namespace tovik
