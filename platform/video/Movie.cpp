#include "platform/video/Movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <deque>

#include "platform/core/Paths.h"

namespace zv::video {

namespace {

// Consecutive packets that may fail to decode before the movie is given up.
constexpr int kMaxBadPackets = 64;

std::string AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

}  // namespace

struct Movie::Impl {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoStream = -1;
    int audioStream = -1;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int audioRate = 0;
    int nextIndex = 0;
    int64_t frameMs = 40;
    bool inputDone = false;
    bool videoFlushed = false;
    std::deque<MovieFrame> ready;
    std::vector<int16_t> sound;

    ~Impl() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        sws_freeContext(scaler);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&format);
    }

    bool OpenDecoder(int stream, AVCodecContext** out) {
        const AVCodecParameters* par = format->streams[stream]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec) return false;
        *out = avcodec_alloc_context3(codec);
        if (!*out || avcodec_parameters_to_context(*out, par) < 0) return false;
        (*out)->thread_count = 1;
        return avcodec_open2(*out, codec, nullptr) >= 0;
    }

    bool ConvertPicture(MovieFrame* out) {
        int w = frame->width, h = frame->height;
        if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
        scaler = sws_getCachedContext(scaler, w, h, AVPixelFormat(frame->format), w, h,
                                      AV_PIX_FMT_0RGB32, SWS_POINT, nullptr, nullptr, nullptr);
        if (!scaler) return false;
        out->width = w;
        out->height = h;
        out->pixels.assign(std::size_t(w) * h, 0);
        uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(out->pixels.data())};
        int dstStride[1] = {w * 4};
        if (sws_scale(scaler, frame->data, frame->linesize, 0, h, dst, dstStride) != h) {
            return false;
        }
        AVStream* s = format->streams[videoStream];
        int64_t pts = frame->best_effort_timestamp;
        out->index = nextIndex++;
        out->timeMs =
            pts == AV_NOPTS_VALUE
                ? out->index * frameMs
                : av_rescale_q(pts - (s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time),
                               s->time_base, AVRational{1, 1000});
        return true;
    }

    void ConvertSound() {
        if (!resampler) {
            AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
            if (swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, audioRate,
                                    &frame->ch_layout, AVSampleFormat(frame->format),
                                    frame->sample_rate, 0, nullptr) < 0 ||
                swr_init(resampler) < 0) {
                swr_free(&resampler);
                return;
            }
        }
        int room = swr_get_out_samples(resampler, frame->nb_samples);
        if (room <= 0) return;
        std::size_t at = sound.size();
        sound.resize(at + std::size_t(room) * 2);
        uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(sound.data() + at)};
        int got = swr_convert(resampler, dst, room,
                              const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        sound.resize(at + std::size_t(std::max(got, 0)) * 2);
    }

    // Takes every picture and sound the decoders have ready.
    bool Drain(AVCodecContext* ctx, std::string* error) {
        for (;;) {
            int r = avcodec_receive_frame(ctx, frame);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
            if (r < 0) {
                if (error) *error = "decoding failed: " + AvError(r);
                return false;
            }
            if (ctx == video) {
                MovieFrame f;
                if (!ConvertPicture(&f)) {
                    av_frame_unref(frame);
                    if (error) *error = "picture conversion failed";
                    return false;
                }
                ready.push_back(std::move(f));
            } else {
                ConvertSound();
            }
            av_frame_unref(frame);
        }
    }

    // Reads packets until a picture is ready or the input ends.
    bool Fill(std::string* error) {
        int bad = 0;
        while (ready.empty() && !videoFlushed) {
            if (inputDone) {
                avcodec_send_packet(video, nullptr);
                if (audio) {
                    avcodec_send_packet(audio, nullptr);
                    Drain(audio, nullptr);
                }
                videoFlushed = true;
                return Drain(video, error);
            }
            int r = av_read_frame(format, packet);
            if (r < 0) {
                inputDone = true;
                continue;
            }
            AVCodecContext* ctx = packet->stream_index == videoStream   ? video
                                  : packet->stream_index == audioStream ? audio
                                                                        : nullptr;
            bool ok = true;
            if (ctx) {
                ok = avcodec_send_packet(ctx, packet) >= 0 || ctx != video;
                std::string why;
                if (ok) ok = Drain(ctx, &why) || ctx != video;
                if (!ok && error) *error = why.empty() ? "a picture could not be decoded" : why;
            }
            av_packet_unref(packet);
            bad = ok ? 0 : bad + 1;
            if (bad >= kMaxBadPackets) return false;
        }
        return true;
    }
};

Movie::Movie(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Movie::~Movie() = default;

std::unique_ptr<Movie> Movie::Open(const std::string& path, int audioRate, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ": " + why;
        return std::unique_ptr<Movie>();
    };
    av_log_set_level(AV_LOG_QUIET);
    auto impl = std::make_unique<Impl>();
    impl->audioRate = audioRate > 0 ? audioRate : 44100;
    std::string real = core::ResolvePath(path);
    int r = avformat_open_input(&impl->format, real.c_str(), nullptr, nullptr);
    if (r < 0) return fail("cannot open: " + AvError(r));
    r = avformat_find_stream_info(impl->format, nullptr);
    if (r < 0) return fail("no stream information: " + AvError(r));
    impl->videoStream = av_find_best_stream(impl->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (impl->videoStream < 0) return fail("no picture stream");
    if (!impl->OpenDecoder(impl->videoStream, &impl->video)) return fail("no picture decoder");
    impl->audioStream = av_find_best_stream(impl->format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (impl->audioStream >= 0 && !impl->OpenDecoder(impl->audioStream, &impl->audio)) {
        avcodec_free_context(&impl->audio);
        impl->audioStream = -1;  // a movie whose sound does not decode plays silent
    }
    AVRational rate = impl->format->streams[impl->videoStream]->avg_frame_rate;
    if (rate.num > 0 && rate.den > 0)
        impl->frameMs = std::max<int64_t>(1, av_rescale(1000, rate.den, rate.num));
    impl->packet = av_packet_alloc();
    impl->frame = av_frame_alloc();
    if (!impl->packet || !impl->frame) return fail("out of memory");
    std::string why;
    if (!impl->Fill(&why) || impl->ready.empty()) {
        return fail(why.empty() ? "no picture could be decoded" : why);
    }
    return std::unique_ptr<Movie>(new Movie(std::move(impl)));
}

int Movie::Width() const {
    return impl_->video->width;
}
int Movie::Height() const {
    return impl_->video->height;
}
bool Movie::HasAudio() const {
    return impl_->audio != nullptr;
}
int Movie::AudioRate() const {
    return impl_->audioRate;
}
int64_t Movie::FrameDurationMs() const {
    return impl_->frameMs;
}

bool Movie::NextFrame(MovieFrame* out, std::string* error) {
    if (impl_->ready.empty() && !impl_->Fill(error)) return false;
    if (impl_->ready.empty()) return false;
    *out = std::move(impl_->ready.front());
    impl_->ready.pop_front();
    return true;
}

std::vector<int16_t> Movie::TakeAudio() {
    std::vector<int16_t> out;
    out.swap(impl_->sound);
    return out;
}

}  // namespace zv::video
