#include "platform/net/Wire.h"

namespace zv::transport {

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

void AppendU32(std::string& out, std::uint32_t v) {
    std::uint8_t b[4];
    PutU32(b, v);
    out.append(reinterpret_cast<const char*>(b), 4);
}

}  // namespace

std::size_t MaxFramePayload(std::uint8_t kind) {
    switch (static_cast<FrameKind>(kind)) {
        case FrameKind::Hello:
            return 4 + 2 + 2 + 16 + 1 + kMaxPlayerNameBytes;
        case FrameKind::Welcome:
            return 12 + 1 + kMaxSessionNameBytes;
        case FrameKind::Refuse:
            return 4;
        case FrameKind::Data:
            return 8 + kMaxMessageBytes;
        case FrameKind::PlayerCreated:
            return 10 + kMaxPlayerNameBytes;
        case FrameKind::PlayerDestroyed:
            return 8;
        case FrameKind::KeepAlive:
            return 0;
    }
    return 0;
}

std::string CutSjis(std::string_view text, std::size_t maxBytes) {
    std::size_t n = 0;
    while (n < text.size()) {
        const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[n])) ? 2 : 1;
        if (n + width > maxBytes) break;
        n += width;
    }
    if (n > text.size()) n = text.size();
    return std::string(text.substr(0, n));
}

std::string BuildCreatePlayerMessage(PlayerId id, std::uint32_t flags, std::string_view name) {
    std::string out;
    AppendU32(out, kSysCreatePlayer);
    AppendU32(out, id);
    AppendU32(out, flags);
    const std::string cut = CutSjis(name, kMaxPlayerNameBytes);
    out.push_back(static_cast<char>(cut.size()));
    out += cut;
    return out;
}

std::string BuildDestroyPlayerMessage(PlayerId id, std::uint32_t flags,
                                      std::string_view localData) {
    std::string out;
    AppendU32(out, kSysDestroyPlayer);
    AppendU32(out, id);
    AppendU32(out, flags);
    AppendU32(out, static_cast<std::uint32_t>(localData.size()));
    out += localData;
    return out;
}

std::string BuildSessionLostMessage() {
    std::string out;
    AppendU32(out, kSysSessionLost);
    return out;
}

std::array<std::uint8_t, kDiscoveryDatagramBytes> BuildDiscoveryQuery(const Guid& application,
                                                                      std::uint32_t nonce) {
    std::array<std::uint8_t, kDiscoveryDatagramBytes> q{};
    std::memcpy(q.data(), kQueryMagic.data(), 4);
    PutU16(q.data() + 4, kProtocolVersion);
    std::memcpy(q.data() + 8, application.bytes.data(), 16);
    PutU32(q.data() + 24, nonce);
    return q;
}

bool ParseDiscoveryQuery(const std::uint8_t* data, std::size_t size, const Guid& application,
                         std::uint32_t& nonce) {
    if (size != kDiscoveryDatagramBytes) return false;
    if (std::memcmp(data, kQueryMagic.data(), 4) != 0) return false;
    if (GetU16(data + 4) != kProtocolVersion) return false;
    if (std::memcmp(data + 8, application.bytes.data(), 16) != 0) return false;
    nonce = GetU32(data + 24);
    return true;
}

// Layout: magic 4, u16 version, u16 port, instance 16, u32 nonce, u8 players, u8 maximum,
// u8 flags (bit 0 joins disabled), u8 name length, name.
std::string BuildDiscoveryAnswer(const DiscoveryAnswer& a) {
    std::string out(32, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(out.data());
    std::memcpy(p, kAnswerMagic.data(), 4);
    PutU16(p + 4, kProtocolVersion);
    PutU16(p + 6, a.port);
    std::memcpy(p + 8, a.instance.bytes.data(), 16);
    PutU32(p + 24, a.nonce);
    p[28] = static_cast<std::uint8_t>(a.players);
    p[29] = static_cast<std::uint8_t>(a.maxPlayers);
    p[30] = a.joinsDisabled ? 1 : 0;
    const std::string name = CutSjis(a.name, kMaxSessionNameBytes);
    p[31] = static_cast<std::uint8_t>(name.size());
    out += name;
    return out;
}

bool ParseDiscoveryAnswer(const std::uint8_t* data, std::size_t size, DiscoveryAnswer& a) {
    if (size < 32 || size > kDiscoveryDatagramBytes) return false;
    if (std::memcmp(data, kAnswerMagic.data(), 4) != 0) return false;
    if (GetU16(data + 4) != kProtocolVersion) return false;
    const std::size_t nameLength = data[31];
    if (nameLength > kMaxSessionNameBytes || 32 + nameLength != size) return false;
    if (data[29] == 0 || data[29] > kMaxSessionPlayers || data[28] > data[29]) return false;
    a.port = GetU16(data + 6);
    std::memcpy(a.instance.bytes.data(), data + 8, 16);
    a.nonce = GetU32(data + 24);
    a.players = data[28];
    a.maxPlayers = data[29];
    a.joinsDisabled = (data[30] & 1) != 0;
    a.name.assign(reinterpret_cast<const char*>(data + 32), nameLength);
    return true;
}

}  // namespace zv::transport
