#pragma once

// Plays a Movie at its own pace: the caller asks for the frames that are due at its clock's
// time and shows them; the sound goes to the audio output as a mixer stream. Ends by itself
// after the last picture has had its time, or early on Stop.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/audio/AudioOutput.h"
#include "platform/video/Movie.h"

namespace zv::video {

enum class PlaybackState { Playing, Ended, Stopped, Failed };

class MoviePlayback : public audio::MixerStream {
  public:
    // output may be null: the movie plays silent.
    MoviePlayback(std::unique_ptr<Movie> movie, std::shared_ptr<audio::AudioOutput> output);
    ~MoviePlayback() override;

    const Movie& GetMovie() const { return *movie_; }

    // Starts the clock of the movie at `nowMs` (the caller's clock).
    void Start(uint32_t nowMs);
    // Hands every picture due by `nowMs` to `show`, in order; the state afterwards.
    PlaybackState Update(uint32_t nowMs, const std::function<void(const MovieFrame&)>& show);
    // Ends at once; the sound stops too.
    void Stop();
    PlaybackState State() const { return state_; }
    const std::string& Error() const { return error_; }
    int FramesShown() const { return shown_; }
    // Milliseconds from now until the next picture is due (0: due now or over).
    uint32_t MsUntilNextFrame(uint32_t nowMs) const;

    void MixInto(int32_t* out, int frames, int rate) override;

  private:
    void QueueSound();
    void Detach();

    std::unique_ptr<Movie> movie_;
    std::shared_ptr<audio::AudioOutput> output_;
    PlaybackState state_ = PlaybackState::Playing;
    bool started_ = false;
    uint32_t startMs_ = 0;
    MovieFrame pending_;
    bool havePending_ = false;
    bool decoderDone_ = false;
    int64_t lastFrameEndMs_ = 0;
    int shown_ = 0;
    std::string error_;
    std::mutex soundMutex_;
    std::deque<int16_t> sound_;
};

}  // namespace zv::video
