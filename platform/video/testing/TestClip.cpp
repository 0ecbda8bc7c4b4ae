#include "platform/video/testing/TestClip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>

namespace zv::video::testing {

namespace {

struct Writer {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* vctx = nullptr;
    AVCodecContext* actx = nullptr;
    AVStream* vst = nullptr;
    AVStream* ast = nullptr;
    AVPacket* pkt = av_packet_alloc();
    ~Writer() {
        av_packet_free(&pkt);
        avcodec_free_context(&vctx);
        avcodec_free_context(&actx);
        if (fmt) {
            if (fmt->pb) avio_closep(&fmt->pb);
            avformat_free_context(fmt);
        }
    }
    bool Send(AVCodecContext* ctx, AVStream* st, AVFrame* frame) {
        if (avcodec_send_frame(ctx, frame) < 0) return false;
        while (avcodec_receive_packet(ctx, pkt) == 0) {
            av_packet_rescale_ts(pkt, ctx->time_base, st->time_base);
            pkt->stream_index = st->index;
            if (av_interleaved_write_frame(fmt, pkt) < 0) return false;
        }
        return true;
    }
};

}  // namespace

bool WriteTestClip(const std::string& path, const TestClipSpec& spec, std::string* error) {
    auto fail = [&](const char* why) {
        if (error) *error = why;
        return false;
    };
    Writer w;
    if (avformat_alloc_output_context2(&w.fmt, nullptr, "matroska", path.c_str()) < 0) {
        return fail("no matroska muxer");
    }
    const AVCodec* vc = avcodec_find_encoder(AV_CODEC_ID_FFV1);
    if (!vc) return fail("no FFV1 encoder");
    w.vst = avformat_new_stream(w.fmt, nullptr);
    w.vctx = avcodec_alloc_context3(vc);
    w.vctx->width = spec.width;
    w.vctx->height = spec.height;
    w.vctx->pix_fmt = AV_PIX_FMT_BGR0;
    w.vctx->time_base = AVRational{1, spec.fps};
    w.vctx->framerate = AVRational{spec.fps, 1};
    w.vctx->thread_count = 1;
    if (w.fmt->oformat->flags & AVFMT_GLOBALHEADER) w.vctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(w.vctx, vc, nullptr) < 0) return fail("FFV1 did not open");
    avcodec_parameters_from_context(w.vst->codecpar, w.vctx);
    w.vst->time_base = w.vctx->time_base;
    w.vst->avg_frame_rate = w.vctx->framerate;

    if (spec.sound) {
        const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
        w.ast = avformat_new_stream(w.fmt, nullptr);
        w.actx = avcodec_alloc_context3(ac);
        w.actx->sample_fmt = AV_SAMPLE_FMT_S16;
        w.actx->sample_rate = spec.soundRate;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&w.actx->ch_layout, &stereo);
        w.actx->time_base = AVRational{1, spec.soundRate};
        if (avcodec_open2(w.actx, ac, nullptr) < 0) return fail("PCM encoder did not open");
        avcodec_parameters_from_context(w.ast->codecpar, w.actx);
        w.ast->time_base = w.actx->time_base;
    }
    if (avio_open(&w.fmt->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return fail("cannot write");
    if (avformat_write_header(w.fmt, nullptr) < 0) return fail("header not written");

    AVFrame* f = av_frame_alloc();
    f->format = AV_PIX_FMT_BGR0;
    f->width = spec.width;
    f->height = spec.height;
    av_frame_get_buffer(f, 0);
    for (int i = 0; i < spec.frames; ++i) {
        av_frame_make_writable(f);
        for (int y = 0; y < spec.height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(f->data[0] + y * f->linesize[0]);
            for (int x = 0; x < spec.width; ++x) row[x] = TestClipColour(i);
        }
        reinterpret_cast<uint32_t*>(f->data[0])[0] = 0xFFFFFF;
        f->pts = i;
        if (!w.Send(w.vctx, w.vst, f)) {
            av_frame_free(&f);
            return fail("picture not encoded");
        }
    }
    av_frame_free(&f);
    w.Send(w.vctx, w.vst, nullptr);

    if (spec.sound) {
        int total = spec.soundRate * spec.frames / spec.fps;
        int chunk = 1024;
        AVFrame* a = av_frame_alloc();
        for (int at = 0; at < total; at += chunk) {
            a->format = AV_SAMPLE_FMT_S16;
            a->sample_rate = spec.soundRate;
            AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
            av_channel_layout_copy(&a->ch_layout, &stereo);
            a->nb_samples = std::min(chunk, total - at);
            av_frame_get_buffer(a, 0);
            auto* s = reinterpret_cast<int16_t*>(a->data[0]);
            for (int i = 0; i < a->nb_samples; ++i) {
                int16_t v = int16_t(8000 * std::sin(2 * M_PI * 440.0 * (at + i) / spec.soundRate));
                s[2 * i] = s[2 * i + 1] = v;
            }
            a->pts = at;
            bool ok = w.Send(w.actx, w.ast, a);
            av_frame_unref(a);
            if (!ok) {
                av_frame_free(&a);
                return fail("sound not encoded");
            }
        }
        av_frame_free(&a);
        w.Send(w.actx, w.ast, nullptr);
    }
    if (av_write_trailer(w.fmt) < 0) return fail("trailer not written");
    return true;
}

}  // namespace zv::video::testing
