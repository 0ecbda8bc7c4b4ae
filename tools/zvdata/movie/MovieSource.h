#pragma once

// Movies drawn frame by frame from SVG layers and written with FFmpeg (data/movies/NAME.txt):
//
//   file Zv6open/sslogo.avi          the file below the program directory
//   size 320 240                     pixels
//   fps 15
//   frames 60
//   layer SVG KEYS...                an SVG below data/art, drawn over the layers before it
//
// KEYS are `opacity`, `scale`, `x`, `y` (the drawing's centre in the picture), each followed
// by FRAME:VALUE points joined by straight lines and held before the first and after the
// last. A layer is drawn at its SVG's size times the scale.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zv::zvdata::movie {

struct MovieLayer {
    std::string svg;
    std::map<std::string, std::vector<std::pair<int, double>>> keys;
    // The value of a key at the frame (its default when the layer gives none).
    double At(const std::string& key, int frame, double fallback) const;
};

struct MovieSource {
    std::string output;
    int width = 0, height = 0, fps = 0, frames = 0;
    std::vector<MovieLayer> layers;
};

// False with "path:line: reason" problems for a source that does not parse.
bool ParseMovieSource(const std::string& path, const std::string& text, MovieSource& out,
                      std::vector<std::string>& problems);

// One frame as 0x00RRGGBB pixels, top row first; false with a problem when an SVG does not load.
bool RenderMovieFrame(const MovieSource& movie, const std::string& artDir, int frame,
                      std::vector<uint32_t>& pixels, std::string& problem);

// Renders every frame and writes an AVI (MPEG-4 part 2, one thread, so two builds agree).
bool WriteMovie(const MovieSource& movie, const std::string& artDir, const std::string& path,
                std::string& problem);

// Builds every data/movies/*.txt into the program directory; the written paths and problems
// are appended.
void BuildMovies(const std::string& dataDir, const std::string& programDir,
                 std::vector<std::string>& written, std::vector<std::string>& problems);

}  // namespace zv::zvdata::movie
