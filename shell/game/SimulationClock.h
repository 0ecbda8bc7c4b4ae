#pragma once

// The simulation clock thread of the program: one thread for the whole run, created suspended
// at start-up, let run while a single game or a network host's game plays, parked between two
// steps while the GUI thread changes the game state wholesale, and stopped at shut-down.
//
// Parking never leaves a step half done: the GUI thread waits (serving the step's synchronous
// messages meanwhile) until the thread is between two steps.

#include <cstdint>
#include <functional>

namespace zv::shell {

// The step the thread runs every period (the program installs RealTimeTick (1) of its world).
// Takes effect at the next StartSimulationThread.
void SetSimulationStep(std::function<void()> step, std::uint32_t periodMs = 200);

// Creates the thread suspended. 1 when it exists (also when it already did), 0 when it could
// not be made (nothing is left behind then).
int StartSimulationThread();
// Lets a step under way finish, ends the thread and waits for it. 1 when a thread was stopped.
int StopSimulationThread();
// The thread's gate. 1 when there is a thread to act on, 0 otherwise.
int SuspendSimulation();
int ResumeSimulation();
// Lets the clock run unless it already does; the running flag (1).
int ResumeClock();
// Parks the clock when it runs.
void SuspendClock();
// True while the GUI thread parks the clock (SuspendClock) or it is parked.
bool IsClockBeingParked();
// 1 while the clock runs for a game.
int IsClockRunning();
bool IsSimulationThreadStarted();
// True once the thread waits for the clock to run (false without a thread or after the
// timeout): no step runs from then on before the clock is let run.
bool WaitForParkedSimulationThread(std::uint32_t timeoutMs);

// The network action (save, return to the title, quit) that the frame asked the next clock
// step to carry out at the same step for every participant (kNetActionNone: none). Written on
// the GUI thread, read on the clock thread.
std::uint8_t GetPendingNetAction();
void SetPendingNetAction(std::uint8_t action);

}  // namespace zv::shell
