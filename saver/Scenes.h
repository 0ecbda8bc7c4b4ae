#pragma once

// The scenes of the scheduler, one per title (slot n plays title n + 1), and the helpers the
// frame shares with them.

#include <array>
#include <memory>
#include <string>

#include "saver/SaverCore.h"

namespace zv::saver {

// The scene of a slot in the build; null for a slot without a scene (it finishes at once).
std::unique_ptr<Scene> MakeScene(SaverState& s, int slot);

// Title picture for ten ticks, a black tick, then finished (slots 2 and 7; in zvdemosaver
// also 1 and 3).
std::unique_ptr<Scene> MakeTitleOnlyScene(SaverState& s, int slot);
// Title picture, then a movie of the current directory (slot 5 "zv5.avi", 6 "zv5dx.avi").
std::unique_ptr<Scene> MakeMovieScene(SaverState& s, int slot, const std::string& file);
std::unique_ptr<Scene> MakeTitle1Scene(SaverState& s);
// n when flags[n] is set, else the first set flag, else -1 (the title-1 battle's target).
int FirstSetFlag(int n, const std::array<bool, 10>& flags);
std::unique_ptr<Scene> MakeTitle2Scene(SaverState& s);

// The movie window of the movie scenes: 1 when the movie is over (or could not start, or was
// stopped), 0 while it plays. Called once a tick with stop 0; stop 1 closes it at once.
int PlayAviInWindow(SaverState& s, const std::string& file, int sound, int stop);

// The title-9 opening music: written to a temporary file of the saver's own, played, stopped
// and deleted (also by the frame at the end of the saver and when the music has ended).
int WriteMidiResourceToFile(SaverState& s);
int PlayMidiFile(SaverState& s);
int StopMidi(SaverState& s);
void StopAndDeleteMidi(SaverState& s);
// The temporary file while it exists (tests).
std::string CurrentMidiFile();

}  // namespace zv::saver

namespace zv::saver {
std::unique_ptr<Scene> MakeTitle4Scene(SaverState& s);
std::unique_ptr<Scene> MakeTitle5Scene(SaverState& s);
std::unique_ptr<Scene> MakeTitle9Scene(SaverState& s);
}  // namespace zv::saver
