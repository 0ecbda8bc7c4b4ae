#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The transport's own byte layouts: the TCP frame header, the handshake and relay frames, the
// discovery datagrams and the system messages handed to the session's players. Little-endian,
// written field by field.
namespace zv::transport {

using PlayerId = std::uint32_t;

// Destinations and the sender of system messages, as the session's users know them.
inline constexpr PlayerId kAllPlayers = 0;
inline constexpr PlayerId kSystemPlayer = 0;
inline constexpr PlayerId kServerPlayer = 1;
inline constexpr PlayerId kFirstPlayerId = 0x100;
// Player flag of the host's player.
inline constexpr std::uint32_t kServerPlayerFlag = 0x100;
// Player names are Shift-JIS, at most this many bytes.
inline constexpr std::size_t kMaxPlayerNameBytes = 17;
// Session names travel in discovery answers, which stay small.
inline constexpr std::size_t kMaxSessionNameBytes = 96;
// Largest application message: a 1 MB journal or order part and its header, or a transfer
// block; more is refused before anything is allocated.
inline constexpr std::size_t kMaxMessageBytes = 1048576 + 4096;
inline constexpr int kMaxSessionPlayers = 6;

// Result codes (0 success), in the manner of the session service the game was written for.
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kErrFail = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kErrOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);
inline constexpr std::int32_t kErrBufferTooSmall = static_cast<std::int32_t>(0x8877001Eu);
inline constexpr std::int32_t kErrNoMessages = static_cast<std::int32_t>(0x887700BEu);
inline constexpr std::int32_t kErrInvalidPlayer = static_cast<std::int32_t>(0x88770096u);
inline constexpr std::int32_t kErrNoConnection = static_cast<std::int32_t>(0x887700B4u);
inline constexpr std::int32_t kErrSendTooBig = static_cast<std::int32_t>(0x887700E6u);
inline constexpr std::int32_t kErrNoSessions = static_cast<std::int32_t>(0x887700D2u);
inline constexpr std::int32_t kErrCantCreatePlayer = static_cast<std::int32_t>(0x8877003Cu);
inline constexpr std::int32_t kErrJoinRefused = static_cast<std::int32_t>(0x8877012Cu);
inline constexpr std::int32_t kErrTimeout = static_cast<std::int32_t>(0x887700BBu);
inline constexpr std::int32_t kErrUserCancel = static_cast<std::int32_t>(0x88770118u);
inline constexpr std::int32_t kErrConnecting = static_cast<std::int32_t>(0x8877015Eu);

// System message types (first u32 of a message from kSystemPlayer).
inline constexpr std::uint32_t kSysCreatePlayer = 3;
inline constexpr std::uint32_t kSysDestroyPlayer = 5;
inline constexpr std::uint32_t kSysSessionLost = 0x31;

// TCP frames: u32 payload length, u8 kind, three zero bytes, then the payload.
inline constexpr std::size_t kFrameHeaderBytes = 8;
enum class FrameKind : std::uint8_t {
    Hello = 1,            // client: magic, version, application, player name
    Welcome = 2,          // host: your id, the server player's id, maximum players, session name
    Refuse = 3,           // host: u32 reason
    Data = 4,             // client: u32 to, message; host: u32 from, u32 to, message
    PlayerCreated = 5,    // host: u32 id, u32 flags, u8 announce, u8 name length, name
    PlayerDestroyed = 6,  // host: u32 id, u32 flags
    KeepAlive = 7,        // empty
};
// Largest payload of each kind, checked before the payload is read.
std::size_t MaxFramePayload(std::uint8_t kind);

enum RefuseReason : std::uint32_t {
    kRefuseFull = 1,
    kRefuseJoinsDisabled = 2,
    kRefuseWrongApplication = 3,
};

inline constexpr std::array<std::uint8_t, 4> kHelloMagic{'Z', 'V', '6', 'N'};
inline constexpr std::array<std::uint8_t, 4> kQueryMagic{'Z', 'V', '6', 'Q'};
inline constexpr std::array<std::uint8_t, 4> kAnswerMagic{'Z', 'V', '6', 'A'};
inline constexpr std::uint16_t kProtocolVersion = 1;
// A discovery query is padded to this size; an answer is never larger, so discovery cannot
// amplify traffic.
inline constexpr std::size_t kDiscoveryDatagramBytes = 128;

struct Guid {
    std::array<std::uint8_t, 16> bytes{};
    bool operator==(const Guid&) const = default;
};

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The longest prefix of at most maxBytes that splits no Shift-JIS double-byte character.
std::string CutSjis(std::string_view text, std::size_t maxBytes);

// System messages as the session's players receive them.
std::string BuildCreatePlayerMessage(PlayerId id, std::uint32_t flags, std::string_view name);
// u32 type, u32 id, u32 flags, u32 local data size, local data.
std::string BuildDestroyPlayerMessage(PlayerId id, std::uint32_t flags, std::string_view localData);
std::string BuildSessionLostMessage();

// Discovery datagrams.
struct DiscoveryAnswer {
    Guid instance;
    std::uint16_t port = 0;
    std::uint32_t nonce = 0;
    int players = 0;
    int maxPlayers = 0;
    bool joinsDisabled = false;
    std::string name;
};
std::array<std::uint8_t, kDiscoveryDatagramBytes> BuildDiscoveryQuery(const Guid& application,
                                                                      std::uint32_t nonce);
// The application and nonce of a well-formed query of this application; false for anything else.
bool ParseDiscoveryQuery(const std::uint8_t* data, std::size_t size, const Guid& application,
                         std::uint32_t& nonce);
std::string BuildDiscoveryAnswer(const DiscoveryAnswer& answer);
bool ParseDiscoveryAnswer(const std::uint8_t* data, std::size_t size, DiscoveryAnswer& answer);

}  // namespace zv::transport
