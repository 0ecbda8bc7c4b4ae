#include "netplay/Protocol.h"

#include <cstring>

#include "netplay/MessageRows.h"
#include "platform/core/Sjis.h"

namespace zv::net {

std::size_t MessageSize(std::int32_t type) {
    return MessageRowSize(type);
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
