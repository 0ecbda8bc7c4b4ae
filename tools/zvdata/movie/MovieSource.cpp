#include "tools/zvdata/movie/MovieSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}
#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>

#include "platform/core/Files.h"
#include "tools/zvdata/art/ArtText.h"

namespace zv::zvdata::movie {

namespace {

bool ParseInt(const std::string& s, int& out) {
    try {
        std::size_t used = 0;
        out = std::stoi(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

bool ParseDouble(const std::string& s, double& out) {
    try {
        std::size_t used = 0;
        out = std::stod(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

bool IsKeyName(const std::string& s) {
    return s == "opacity" || s == "scale" || s == "x" || s == "y";
}

}  // namespace

double MovieLayer::At(const std::string& key, int frame, double fallback) const {
    const auto it = keys.find(key);
    if (it == keys.end() || it->second.empty()) return fallback;
    const auto& pts = it->second;
    if (frame <= pts.front().first) return pts.front().second;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        if (frame <= pts[i].first) {
            const double t = double(frame - pts[i - 1].first) / (pts[i].first - pts[i - 1].first);
            return pts[i - 1].second + t * (pts[i].second - pts[i - 1].second);
        }
    }
    return pts.back().second;
}

bool ParseMovieSource(const std::string& path, const std::string& text, MovieSource& out,
                      std::vector<std::string>& problems) {
    const std::size_t before = problems.size();
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fault = [&](const std::string& why) {
        problems.push_back(path + ":" + std::to_string(lineNo) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        if (w[0] == "file" && w.size() == 2) {
            out.output = w[1];
        } else if (w[0] == "size" && w.size() == 3) {
            if (!ParseInt(w[1], out.width) || !ParseInt(w[2], out.height) || out.width <= 0 ||
                out.height <= 0 || out.width % 2 || out.height % 2)
                fault("the size must be two even positive numbers");
        } else if ((w[0] == "fps" || w[0] == "frames") && w.size() == 2) {
            int v = 0;
            if (!ParseInt(w[1], v) || v <= 0 || v > 10000)
                fault(w[0] + " must be a number from 1 to 10000");
            (w[0] == "fps" ? out.fps : out.frames) = v;
        } else if (w[0] == "layer" && w.size() >= 2) {
            MovieLayer layer;
            layer.svg = w[1];
            std::string key;
            for (std::size_t i = 2; i < w.size(); ++i) {
                if (IsKeyName(w[i])) {
                    key = w[i];
                    layer.keys[key];
                    continue;
                }
                const auto colon = w[i].find(':');
                int frame = 0;
                double value = 0;
                if (key.empty() || colon == std::string::npos ||
                    !ParseInt(w[i].substr(0, colon), frame) ||
                    !ParseDouble(w[i].substr(colon + 1), value)) {
                    fault("'" + w[i] + "' is no key name or FRAME:VALUE point");
                    continue;
                }
                auto& pts = layer.keys[key];
                if (!pts.empty() && frame <= pts.back().first)
                    fault("the points of " + key + " must have rising frames");
                else
                    pts.emplace_back(frame, value);
            }
            out.layers.push_back(std::move(layer));
        } else {
            fault("unknown line '" + w[0] + "'");
        }
    }
    lineNo = 0;
    if (out.output.empty()) fault("no file line");
    if (!out.width || !out.fps || !out.frames) fault("size, fps and frames are needed");
    if (out.layers.empty()) fault("no layer");
    return problems.size() == before;
}

bool RenderMovieFrame(const MovieSource& movie, const std::string& artDir, int frame,
                      std::vector<uint32_t>& pixels, std::string& problem) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, movie.width, movie.height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    bool ok = true;
    for (const MovieLayer& layer : movie.layers) {
        const double opacity = std::clamp(layer.At("opacity", frame, 1.0), 0.0, 1.0);
        const double scale = layer.At("scale", frame, 1.0);
        if (opacity <= 0 || scale <= 0) continue;
        GError* error = nullptr;
        const std::string file = artDir + "/" + layer.svg;
        RsvgHandle* handle = rsvg_handle_new_from_file(file.c_str(), &error);
        if (!handle) {
            problem = file + ": " + (error ? error->message : "cannot be read");
            if (error) g_error_free(error);
            ok = false;
            break;
        }
        double w = 0, h = 0;
        if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h)) w = h = 0;
        const double cx = layer.At("x", frame, movie.width / 2.0);
        const double cy = layer.At("y", frame, movie.height / 2.0);
        const RsvgRectangle viewport{cx - w * scale / 2, cy - h * scale / 2, w * scale, h * scale};
        cairo_push_group(cr);
        if (!rsvg_handle_render_document(handle, cr, &viewport, &error)) {
            problem = file + ": " + (error ? error->message : "cannot be drawn");
            if (error) g_error_free(error);
            ok = false;
        }
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, opacity);
        g_object_unref(handle);
        if (!ok) break;
    }
    cairo_surface_flush(surface);
    pixels.assign(std::size_t(movie.width) * movie.height, 0);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < movie.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < movie.width; ++x)
            pixels[std::size_t(y) * movie.width + x] = row[x] & 0xFFFFFF;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return ok;
}

namespace {

struct Encoder {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* ctx = nullptr;
    AVStream* stream = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* sws = nullptr;
    ~Encoder() {
        sws_freeContext(sws);
        av_frame_free(&frame);
        av_packet_free(&pkt);
        avcodec_free_context(&ctx);
        if (fmt) {
            if (fmt->pb) avio_closep(&fmt->pb);
            avformat_free_context(fmt);
        }
    }
    bool Send(AVFrame* f) {
        if (avcodec_send_frame(ctx, f) < 0) return false;
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            av_packet_rescale_ts(pkt, ctx->time_base, stream->time_base);
            pkt->stream_index = stream->index;
            if (av_interleaved_write_frame(fmt, pkt) < 0) return false;
        }
        return true;
    }
};

}  // namespace

bool WriteMovie(const MovieSource& movie, const std::string& artDir, const std::string& path,
                std::string& problem) {
    auto fail = [&](const std::string& why) {
        problem = path + ": " + why;
        return false;
    };
    Encoder e;
    if (avformat_alloc_output_context2(&e.fmt, nullptr, "avi", path.c_str()) < 0)
        return fail("FFmpeg has no AVI writer");
    e.fmt->flags |= AVFMT_FLAG_BITEXACT;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!codec) return fail("FFmpeg has no MPEG-4 encoder");
    e.stream = avformat_new_stream(e.fmt, nullptr);
    e.ctx = avcodec_alloc_context3(codec);
    e.ctx->width = movie.width;
    e.ctx->height = movie.height;
    e.ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    e.ctx->time_base = AVRational{1, movie.fps};
    e.ctx->framerate = AVRational{movie.fps, 1};
    e.ctx->gop_size = movie.fps;
    e.ctx->thread_count = 1;
    e.ctx->flags |= AV_CODEC_FLAG_QSCALE | AV_CODEC_FLAG_BITEXACT;
    e.ctx->global_quality = FF_QP2LAMBDA * 2;
    if (e.fmt->oformat->flags & AVFMT_GLOBALHEADER) e.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(e.ctx, codec, nullptr) < 0) return fail("the MPEG-4 encoder did not open");
    avcodec_parameters_from_context(e.stream->codecpar, e.ctx);
    e.stream->time_base = e.ctx->time_base;
    e.stream->avg_frame_rate = e.ctx->framerate;
    const std::string temp = path + ".part";
    if (avio_open(&e.fmt->pb, temp.c_str(), AVIO_FLAG_WRITE) < 0) return fail("cannot be written");
    if (avformat_write_header(e.fmt, nullptr) < 0) return fail("the header was not written");
    e.sws = sws_getContext(movie.width, movie.height, AV_PIX_FMT_BGR0, movie.width, movie.height,
                           AV_PIX_FMT_YUV420P, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT,
                           nullptr, nullptr, nullptr);
    if (!e.sws) return fail("no colour conversion");
    e.frame->format = AV_PIX_FMT_YUV420P;
    e.frame->width = movie.width;
    e.frame->height = movie.height;
    if (av_frame_get_buffer(e.frame, 0) < 0) return fail("out of memory");
    std::vector<uint32_t> pixels;
    for (int i = 0; i < movie.frames; ++i) {
        std::string why;
        if (!RenderMovieFrame(movie, artDir, i, pixels, why)) return fail(why);
        av_frame_make_writable(e.frame);
        const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(pixels.data())};
        const int srcStride[1] = {movie.width * 4};
        sws_scale(e.sws, src, srcStride, 0, movie.height, e.frame->data, e.frame->linesize);
        e.frame->pts = i;
        if (!e.Send(e.frame)) return fail("frame " + std::to_string(i) + " was not encoded");
    }
    if (!e.Send(nullptr) || av_write_trailer(e.fmt) < 0) return fail("the end was not written");
    avio_closep(&e.fmt->pb);
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) return fail("cannot be written");
    return true;
}

void BuildMovies(const std::string& dataDir, const std::string& programDir,
                 std::vector<std::string>& written, std::vector<std::string>& problems) {
    const std::string dir = dataDir + "/movies";
    if (!core::DirectoryExists(dir)) return;
    for (const std::string& name : core::ListDirectory(dir, "*.txt")) {
        const std::string source = dir + "/" + name;
        std::string text;
        if (!art::ReadTextFile(source, text)) {
            problems.push_back(source + ": cannot be read");
            continue;
        }
        MovieSource movie;
        if (!ParseMovieSource(source, text, movie, problems)) continue;
        const std::string out = programDir + "/" + movie.output;
        std::filesystem::create_directories(std::filesystem::path(out).parent_path());
        std::string problem;
        if (!WriteMovie(movie, dataDir + "/art", out, problem)) {
            problems.push_back(problem);
            continue;
        }
        written.push_back(out);
    }
}

}  // namespace zv::zvdata::movie
