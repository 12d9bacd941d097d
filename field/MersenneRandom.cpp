#include "field/MersenneRandom.h"

#include <chrono>

namespace tovik {

void MersenneRandom::Randomize() {
    if (seed_) {
        gen_.seed(*seed_);
        return;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::seed_seq seq{static_cast<std::uint64_t>(now.count()), ++runs_};
    gen_.seed(seq);
}

float MersenneRandom::Rnd() { return static_cast<float>(gen_() >> 8) * (1.0f / 16777216.0f); }

}  // namespace tovik
