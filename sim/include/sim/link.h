// The simulator link: how a Windows test build reaches the simulated machine
// of a Linux root through `zansim serve`. Only what hardware and the storage
// stack answer travels: device opens, DeviceIoControl, SCSI pass-through and
// the volume queries. Header-only and free of OS calls, so that the Windows
// client and the Linux server build the same frames.
//
// A frame is a little-endian u32 payload length (1 to FRAME_MAX) and the
// payload. Every connection starts with a session request naming the root
// (empty: the server's own), then carries one answer per request. A
// connection with an open device is that device's handle; closing the
// connection closes the device.
#ifndef SIM_LINK_H
#define SIM_LINK_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim::link {

inline constexpr std::uint32_t FRAME_MAX = 1u << 20;
// The largest buffer a request may carry or ask for: what fits a frame with
// the fields around it.
inline constexpr std::uint32_t BUFFER_MAX = FRAME_MAX - 64;
inline constexpr std::uint32_t TEXT_MAX = 4096;

// The environment variable that gives the Windows programs the server's port.
inline constexpr char PORT_VARIABLE[] = "ZAN_LINK_PORT";

enum class op : std::uint8_t {
    // text root                              -> u32 0
    session = 1,
    // text path                              -> u32 error
    open = 2,
    // u32 code, u32 in_size, u32 out_size, u8 flags, bytes in (empty without HAS_IN)
    //                                        -> u32 error, u32 returned, bytes out
    control = 3,
    // u8 direction, u8 path_id, u8 target_id, u8 lun, u32 timeout,
    // u32 sense_size, u32 data_size, bytes cdb, bytes data (direction out only)
    //                                        -> u32 error, u8 status, u32 transferred, bytes data in, bytes sense
    pass_through = 4,
    //                                        -> u32 error, u32 mask
    volume_mask = 5,
    // text root path                         -> u32 drive type
    drive_type = 6,
    // stops the server                       -> u32 0
    stop = 7,
    //                                        -> u32 error, u32 count, text name (count times)
    volume_names = 8,
};

// control flags: which of the caller's buffers exist (a null pointer stays null).
inline constexpr std::uint8_t HAS_IN = 1;
inline constexpr std::uint8_t HAS_OUT = 2;

// Builds a frame: the length is filled in by frame().
class writer {
public:
    explicit writer(op code) : bytes_{0, 0, 0, 0, static_cast<std::uint8_t>(code)} {}

    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u32(std::uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    // Bytes and text travel as a u32 length and the bytes.
    void bytes(std::span<const std::uint8_t> data)
    {
        u32(static_cast<std::uint32_t>(data.size()));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    void text(std::string_view value)
    {
        bytes(std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size()));
    }

    // The whole frame, length first.
    const std::vector<std::uint8_t>& frame()
    {
        const auto length = static_cast<std::uint32_t>(bytes_.size() - 4);
        for (int i = 0; i < 4; ++i) bytes_[i] = static_cast<std::uint8_t>(length >> (8 * i));
        return bytes_;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// Reads a payload field by field. A field that runs past the end, or a length
// above its limit, makes the reader fail for good; every read then yields
// zeros and empty spans, and ok() tells.
class reader {
public:
    explicit reader(std::span<const std::uint8_t> payload) : data_(payload) {}

    std::uint8_t u8()
    {
        const auto b = take(1);
        return b.empty() ? 0 : b[0];
    }
    std::uint32_t u32()
    {
        const auto b = take(4);
        if (b.empty()) return 0;
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    }
    std::span<const std::uint8_t> bytes(std::uint32_t limit = BUFFER_MAX)
    {
        const std::uint32_t size = u32();
        if (size > limit) ok_ = false;
        return take(size);
    }
    // Text without zero bytes, at most TEXT_MAX long.
    std::string text()
    {
        const auto b = bytes(TEXT_MAX);
        std::string value(b.begin(), b.end());
        if (value.find('\0') != std::string::npos) ok_ = false;
        return value;
    }

    bool ok() const { return ok_; }
    // Every byte read and nothing left over: a well-formed payload.
    bool done() const { return ok_ && used_ == data_.size(); }

private:
    std::span<const std::uint8_t> take(std::size_t size)
    {
        if (!ok_ || data_.size() - used_ < size) {
            ok_ = false;
            return {};
        }
        const auto part = data_.subspan(used_, size);
        used_ += size;
        return part;
    }

    std::span<const std::uint8_t> data_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

// The length word of a frame; 0 when it is outside 1 to FRAME_MAX.
inline std::uint32_t frame_length(const std::uint8_t (&word)[4])
{
    const std::uint32_t length = std::uint32_t{word[0]} | std::uint32_t{word[1]} << 8 |
                                 std::uint32_t{word[2]} << 16 | std::uint32_t{word[3]} << 24;
    return length == 0 || length > FRAME_MAX ? 0 : length;
}

} // namespace sim::link

#endif
