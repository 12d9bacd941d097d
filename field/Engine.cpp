#include "field/Engine.h"

namespace tovik {

Engine::Engine(SimState& state, const EnginePorts& ports)
    : state_(state),
      ports_(ports),
      field_(state),
      tracer_(state, field_, ports.canvas, ports.loop, ports.clock, ports.host) {}

bool Engine::StartAutomaticTracing(AutoTraceProgress* progress) {
    AutoTracer run(state_, tracer_, ports_.random, ports_.beeper);
    return run.Run(progress);
}

}  // namespace tovik
