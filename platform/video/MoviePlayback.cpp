#include "platform/video/MoviePlayback.h"

#include <algorithm>

namespace zv::video {

MoviePlayback::MoviePlayback(std::unique_ptr<Movie> movie,
                             std::shared_ptr<audio::AudioOutput> output)
    : movie_(std::move(movie)), output_(std::move(output)) {
    // Sound at a rate other than the output's would play at the wrong speed.
    if (output_ && (!movie_->HasAudio() || movie_->AudioRate() != output_->Rate())) {
        output_.reset();
    }
}

MoviePlayback::~MoviePlayback() {
    Detach();
}

void MoviePlayback::Detach() {
    if (output_) output_->GetMixer().RemoveStream(this);
    output_.reset();
}

void MoviePlayback::Start(uint32_t nowMs) {
    if (started_) return;
    started_ = true;
    startMs_ = nowMs;
    if (output_) output_->GetMixer().AddStream(this);
}

void MoviePlayback::QueueSound() {
    std::vector<int16_t> s = movie_->TakeAudio();
    if (s.empty() || !output_) return;
    std::lock_guard lock(soundMutex_);
    sound_.insert(sound_.end(), s.begin(), s.end());
}

PlaybackState MoviePlayback::Update(uint32_t nowMs,
                                    const std::function<void(const MovieFrame&)>& show) {
    if (state_ != PlaybackState::Playing) return state_;
    if (!started_) Start(nowMs);
    int64_t elapsed = int64_t(uint32_t(nowMs - startMs_));
    for (;;) {
        if (!havePending_ && !decoderDone_) {
            std::string why;
            havePending_ = movie_->NextFrame(&pending_, &why);
            QueueSound();
            if (!havePending_) {
                decoderDone_ = true;
                if (!why.empty()) {
                    error_ = why;
                    state_ = PlaybackState::Failed;
                    Detach();
                    return state_;
                }
            }
        }
        if (!havePending_ || pending_.timeMs > elapsed) break;
        if (show) show(pending_);
        ++shown_;
        lastFrameEndMs_ = pending_.timeMs + movie_->FrameDurationMs();
        havePending_ = false;
    }
    if (decoderDone_ && !havePending_ && elapsed >= lastFrameEndMs_) {
        state_ = PlaybackState::Ended;
        Detach();
    }
    return state_;
}

uint32_t MoviePlayback::MsUntilNextFrame(uint32_t nowMs) const {
    if (state_ != PlaybackState::Playing || !started_) return 0;
    int64_t elapsed = int64_t(uint32_t(nowMs - startMs_));
    int64_t due = havePending_ ? pending_.timeMs : lastFrameEndMs_;
    return due > elapsed ? uint32_t(due - elapsed) : 0;
}

void MoviePlayback::Stop() {
    if (state_ == PlaybackState::Playing) state_ = PlaybackState::Stopped;
    Detach();
    std::lock_guard lock(soundMutex_);
    sound_.clear();
}

void MoviePlayback::MixInto(int32_t* out, int frames, int /*rate*/) {
    std::lock_guard lock(soundMutex_);
    std::size_t n = std::min(sound_.size(), std::size_t(frames) * 2);
    for (std::size_t i = 0; i < n; ++i) out[i] += sound_[i];
    sound_.erase(sound_.begin(), sound_.begin() + std::ptrdiff_t(n));
}

}  // namespace zv::video
