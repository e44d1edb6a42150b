#include "drive_identity.h"

#include <vector>

namespace pth {

namespace {

constexpr std::uint8_t op_inquiry = 0x12;
constexpr std::uint8_t inquiry_bytes = 0x52;

std::string text_at(std::span<const std::uint8_t> data, std::size_t at, std::size_t size)
{
    std::string text;
    for (std::size_t i = at; i < at + size && i < data.size() && data[i] != 0; ++i)
        text += static_cast<char>(data[i]);
    return text;
}

} // namespace

drive_identity identity_from_inquiry(std::span<const std::uint8_t> data)
{
    return {text_at(data, 8, 8), text_at(data, 16, 16), text_at(data, 32, 4)};
}

std::optional<drive_identity> read_identity(const pass_caller& caller, const pass_target& target, bool loud)
{
    const std::uint8_t cdb[] = {op_inquiry, 0, 0, 0, inquiry_bytes, 0};
    zan::ZanPasRequest request = build_request(target, zan::ZANPAS_DATA_IN, cdb);
    std::vector<std::uint8_t> data(inquiry_bytes, 0);
    std::uint32_t length = inquiry_bytes;
    if (loud) {
        if (!caller.call("ZanPasInquiry", call_shape::read, request, data, length))
            return std::nullopt;
    } else {
        std::array<std::uint8_t, 260> detail{};
        if (caller.call_quiet("ZanPasInquiry", call_shape::read, request, data, length, detail, false) !=
            zan::ZANPAS_OK)
            return std::nullopt;
    }
    return identity_from_inquiry(data);
}

bool takes_firmware(const drive_identity& identity)
{
    return identity.product.starts_with("VMA") || identity.product.starts_with("VMB");
}

} // namespace pth
