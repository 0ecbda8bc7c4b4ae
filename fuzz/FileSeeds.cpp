// Writes small seeds for the fuzzers of formats the program directory has no small sample of:
// zv_file_seeds OUTDIR. Each kind goes into a folder of its own.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio/WaveFile.h"
#include "platform/net/Wire.h"
#include "rules/files/Rle.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
std::string g_out;
int g_written = 0;

void Put(const std::string& relative, const Bytes& bytes) {
    const std::filesystem::path path = std::filesystem::path(g_out) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ++g_written;
}

void Put(const std::string& relative, const std::string& text) {
    Put(relative, Bytes(text.begin(), text.end()));
}

void Le(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// A bottom-up picture of 3 x 2 pixels at the given depth, colour table included.
Bytes Bitmap(int bits) {
    const int colours = bits <= 8 ? 1 << bits : 0;
    const std::size_t stride = ((3u * unsigned(bits) + 31) / 32) * 4;
    const std::size_t offset = 54 + std::size_t(colours) * 4;
    Bytes b(offset + 2 * stride, 0);
    b[0] = 'B', b[1] = 'M';
    Le(b, 2, std::uint32_t(b.size()), 4);
    Le(b, 10, std::uint32_t(offset), 4);
    Le(b, 14, 40, 4);
    Le(b, 18, 3, 4);
    Le(b, 22, 2, 4);
    Le(b, 26, 1, 2);
    Le(b, 28, std::uint32_t(bits), 2);
    for (int i = 0; i < colours; ++i) Le(b, 54 + std::size_t(i) * 4, 0x102030u * unsigned(i), 4);
    for (std::size_t i = offset; i < b.size(); ++i) b[i] = std::uint8_t(i * 37);
    return b;
}

// An other-edition map: both headers, a packed terrain block with sites and roads, and a
// stored country block.
Bytes OtherMap() {
    Bytes file(512, 0);
    const std::string title = "seed map";
    std::copy(title.begin(), title.end(), file.begin() + 8);
    for (int c = 0; c < 4; ++c) {
        const std::size_t at = 256 + std::size_t(c) * 64;
        file[at] = std::uint8_t('A' + c);
        file[at + 18] = 1;
        Le(file, at + 36, 5000, 4);
    }
    Bytes terrain(4096, 1);
    for (int i = 0; i < 4096; i += 97) terrain[std::size_t(i)] = std::uint8_t(i % 64);
    for (int i = 64; i < 128; ++i) terrain[std::size_t(i)] |= 0x40;
    Bytes packed(4096);
    const int n = zv::rules::RleEncodeBytes(terrain, packed);
    packed.resize(std::size_t(n > 0 ? n : 0));
    Le(file, 144, std::uint32_t(packed.size()), 2);
    file.insert(file.end(), packed.begin(), packed.end());
    Bytes countries(4096, 0);
    for (int i = 0; i < 4096; ++i) countries[std::size_t(i)] = std::uint8_t(1 << (i / 1024));
    file.insert(file.end(), countries.begin(), countries.end());
    return file;
}

// A screensaver hex map: the code table, three plane lengths, then a run-length packed terrain
// plane, a plain unit plane and a short third block.
Bytes SaverHexMap() {
    Bytes b(512, 0);
    for (int i = 0; i < 256; ++i) b[std::size_t(i)] = std::uint8_t(i);
    Bytes plane;
    for (int i = 0; i < 64; ++i) {
        const std::uint8_t v = std::uint8_t(i % 7);
        plane.insert(plane.end(), {v, v, 64});  // 64 copies of v
    }
    plane.insert(plane.end(), {0, 0, 0});  // the end mark
    Le(b, 256, std::uint32_t(plane.size()), 2);
    Le(b, 260, 8, 2);
    b.insert(b.end(), plane.begin(), plane.end());
    b.insert(b.end(), 4096, 3);
    b.insert(b.end(), 8, 9);
    return b;
}

Bytes SpriteIndex() {
    Bytes b(3 * 20, 0);
    for (int r = 0; r < 3; ++r) {
        const std::size_t at = std::size_t(r) * 20;
        Le(b, at, std::uint32_t(r), 2);
        Le(b, at + 2, 24, 2);
        Le(b, at + 4, 16, 2);
        Le(b, at + 8, std::uint32_t(320 * 10 * r + 40), 4);
        b[at + 12] = std::uint8_t(r & 1);
    }
    return b;
}

Bytes Frame(std::uint8_t kind, const Bytes& body) {
    Bytes f(8, 0);
    Le(f, 0, std::uint32_t(body.size()), 4);
    f[4] = kind;
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

zv::transport::Guid Application() {
    zv::transport::Guid g;
    for (std::size_t i = 0; i < g.bytes.size(); ++i) g.bytes[i] = std::uint8_t(i + 1);
    return g;
}

Bytes Hello(const std::string& name) {
    using namespace zv::transport;
    Bytes b(25 + name.size(), 0);
    std::copy(kHelloMagic.begin(), kHelloMagic.end(), b.begin());
    Le(b, 4, kProtocolVersion, 2);
    const Guid application = Application();
    std::copy(application.bytes.begin(), application.bytes.end(), b.begin() + 8);
    b[24] = std::uint8_t(name.size());
    std::copy(name.begin(), name.end(), b.begin() + 25);
    return Frame(1, b);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zv_file_seeds OUTDIR\n");
        return 2;
    }
    g_out = argv[1];
    for (int bits : {1, 4, 16, 24, 32})
        Put("pictures/depth" + std::to_string(bits) + ".bmp", Bitmap(bits));

    zv::audio::WaveFormat mono8;
    mono8.channels = 1, mono8.bitsPerSample = 8, mono8.samplesPerSec = 11025;
    mono8.blockAlign = 1, mono8.avgBytesPerSec = 11025;
    Put("waves/mono8.wav", zv::audio::BuildWaveFile(mono8, Bytes(64, 0x80)));
    zv::audio::WaveFormat stereo16;
    stereo16.channels = 2, stereo16.bitsPerSample = 16, stereo16.samplesPerSec = 22050;
    stereo16.blockAlign = 4, stereo16.avgBytesPerSec = 88200;
    Bytes samples(128);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = std::uint8_t(i * 13);
    Put("waves/stereo16.wav", zv::audio::BuildWaveFile(stereo16, samples));

    Put("othermaps/packed.qz4", OtherMap());
    Put("saver/hexmap.bin", SaverHexMap());
    Put("saver/index.bin", SpriteIndex());

    Put("ini/settings.ini",
        "[Environ]\r\nGameSpeed=3\r\nBGM=1\r\n\r\n[Windows]\r\nMap=0x10,-4,\"20\"\r\n"
        "[FILE]\r\nMAPFILE = MAP00001.ddm \r\n");

    // Frames to a host (first byte even), then a host's answers to a client (odd).
    Bytes toHost = {0};
    for (const Bytes& frame : {Hello("seed"), Frame(4, {1, 0, 0, 0, 60, 0, 0, 0}), Frame(7, {})})
        toHost.insert(toHost.end(), frame.begin(), frame.end());
    Put("frames/hello-data.bin", toHost);
    Bytes early = {0};
    const Bytes dataFrame = Frame(4, {1, 0, 0, 0, 60, 0, 0, 0});
    early.insert(early.end(), dataFrame.begin(), dataFrame.end());
    Put("frames/data-before-hello.bin", early);
    Bytes welcome(13, 0);
    Le(welcome, 0, 0x101, 4);
    Le(welcome, 4, zv::transport::kServerPlayer, 4);
    Le(welcome, 8, 6, 4);
    welcome[12] = 4;
    welcome.insert(welcome.end(), {'s', 'e', 'e', 'd'});
    Bytes created(10, 0);
    Le(created, 0, 0x102, 4);
    created[8] = 1;
    created[9] = 3;
    created.insert(created.end(), {'a', 'b', 'c'});
    Bytes toClient = {1};
    for (const Bytes& frame :
         {Frame(2, welcome), Frame(5, created), Frame(4, {1, 0, 0, 0, 0, 0, 0, 0, 60, 0, 0, 0}),
          Frame(7, {}), Frame(6, {2, 1, 0, 0, 0, 0, 0, 0})})
        toClient.insert(toClient.end(), frame.begin(), frame.end());
    Put("frames/welcome-players.bin", toClient);
    Put("frames/refused.bin", [] {
        Bytes b = {1};
        const Bytes refuse = Frame(3, {1, 0, 0, 0});
        b.insert(b.end(), refuse.begin(), refuse.end());
        return b;
    }());

    const auto query = zv::transport::BuildDiscoveryQuery(Application(), 1234);
    Put("discovery/query.bin", Bytes(query.begin(), query.end()));
    zv::transport::DiscoveryAnswer answer;
    answer.port = 2300, answer.nonce = 1234, answer.players = 2, answer.maxPlayers = 6;
    answer.name = "seed session";
    const std::string built = zv::transport::BuildDiscoveryAnswer(answer);
    Put("discovery/answer.bin", built);

    std::printf("%d seeds written to %s\n", g_written, g_out.c_str());
    return 0;
}
