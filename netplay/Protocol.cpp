#include "netplay/Protocol.h"

#include <cstring>

#include "platform/core/Sjis.h"

namespace zv::net {

std::size_t MessageSize(std::int32_t type) {
    switch (type) {
        case ZVCMSG_SETSLOTID:
        case ZVCMSG_REJECTPLAYER:
        case ZVCMSG_ARRANGE_END:
        case ZVCMSG_DISCCONECT:
        case ZVCMSG_EXECUTE_THINK_END:
        case ZVCMSG_WAIT_MASK:
            return 8;
        case ZVCMSG_SETSLOTDATA:
            return SlotDataMsg::kSize;
        case ZVCMSG_NEXTMAPSELECT:
        case ZVCMSG_NEXTGAMESETTING:
        case ZVCMSG_GAME_START:
        case ZVCMSG_GAME_END:
            return 4;
        case ZVCMSG_GAMESETTING_GAME:
            return 4 + GameSettingBlock::kSize;
        case ZVCMSG_GAMESETTING_DONE:
            return 4 + PlayerSetting::kSize;
        case ZVCMSG_GAMESETTING_NEXT:
            return 8 + GameSettingBlock::kSize;
        case ZVCMSG_CHATDATA:
            return ChatMsg::kSize;
        case ZVCMSG_FILETRANSFER_HEADER:
            return TransferHeaderMsg::kSize;
        case ZVCMSG_FILETRANSFER_DATA:
            return TransferDataMsg::kHeader;
        case ZVCMSG_RECEIVE_OK:
        case ZVCMSG_YOUR_TURN:
        case ZVCMSG_ITS_MINE:
        case ZVCMSG_REQUEST_SEND_ORDER:
        case ZVCMSG_WAIT_STATE:
        case ZVCMSG_ECHO_REQUEST:
        case ZVCMSG_ECHO_REPLY:
            return 16;
        case ZVCMSG_GAME_FROM_SERVER:
            return FromServerMsg::kHeader;
        case ZVCMSG_GAME_FROM_CLIENT:
            return FromClientMsg::kHeader;
        case ZVCMSG_ROLE_REQUEST:
            return 12;
        case ZVCMSG_ROLE_RESULT:
            return 32;
        case ZVCMSG_VERSION:
            return VersionMsg::kSize;
        default:
            return 0;
    }
}

MessageBuilder& MessageBuilder::Bytes(std::size_t at, const std::uint8_t* data, std::size_t size) {
    if (size != 0) std::memcpy(bytes_.data() + at, data, size);
    return *this;
}

MessageBuilder& MessageBuilder::Text(std::size_t at, std::size_t width, std::string_view text) {
    WriteFieldText(bytes_.data(), at, width, text);
    return *this;
}

std::string ReadFieldText(const std::uint8_t* p, std::size_t offset, std::size_t width) {
    const std::string_view raw = rules::ReadText(p, offset, width);
    return std::string(raw.substr(0, core::SjisCutLength(raw, width - 1)));
}

void WriteFieldText(std::uint8_t* p, std::size_t offset, std::size_t width, std::string_view text) {
    std::memset(p + offset, 0, width);
    const std::size_t n = core::SjisCutLength(text, width - 1);
    std::memcpy(p + offset, text.data(), n);
}

}  // namespace zv::net
