#pragma once
// The scenario the simulated libraries start with when VOSTREL_SIM_SCENARIO
// names none: two EOS bodies, a newer and an older PowerShot camera, each
// with a card of pictures.

namespace vostrel::sim {

const char* defaultScenarioText();

} // namespace vostrel::sim
