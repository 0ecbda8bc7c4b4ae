#pragma once

// Registration of each in-game window class on its own, for the start-up registration that
// makes them all at once (RegisterTableGroupClasses). Each is harmless when the class exists.

namespace zv::panels {

bool RegisterNewsWindowClass();
bool RegisterResultWindowClass();
bool RegisterRealFightClass();
bool RegisterRealFight2Class();
bool RegisterRealManagerClass();
bool RegisterUnitSimpleInfoClass();
bool RegisterLandSimpleInfoClass();
bool RegisterPauseClass();
bool RegisterMessageClass();
bool RegisterSpeedClass();

}  // namespace zv::panels
