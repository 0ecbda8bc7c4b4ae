#pragma once

// A movie file opened with FFmpeg: its pictures decoded in order as 32-bit 0x00RRGGBB frames
// and its sound resampled to interleaved 16-bit stereo at the caller's rate. A file that does
// not open, has no picture stream or whose first picture does not decode is refused at Open.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zv::video {

struct MovieFrame {
    int index = 0;       // 0 for the first picture
    int64_t timeMs = 0;  // when it is due, from the start of the movie
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, top row first
};

class Movie {
  public:
    // Null with a reason in `error` when the file cannot be played.
    static std::unique_ptr<Movie> Open(const std::string& path, int audioRate, std::string* error);
    ~Movie();

    int Width() const;
    int Height() const;
    bool HasAudio() const;
    int AudioRate() const;
    // The time one picture stays, from the stream's frame rate (40 ms when unknown).
    int64_t FrameDurationMs() const;

    // The next picture; false at the end of the movie, or after a decoding failure, which
    // leaves its reason in `error`.
    bool NextFrame(MovieFrame* frame, std::string* error);
    // Sound decoded so far (interleaved stereo), handed over and forgotten.
    std::vector<int16_t> TakeAudio();

    struct Impl;

  private:
    explicit Movie(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace zv::video
