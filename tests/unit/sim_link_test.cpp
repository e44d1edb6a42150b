// The server side of the simulator link: requests answered exactly as the
// hosted device facility answers them, and every malformed or out-of-order
// payload refused (the connection is then closed) without touching anything.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plat/device.h"
#include "plat/volumes.h"
#include "link_session.h"
#include "sim/link.h"
#include "sim_root.h"
#include "zanioctl.h"

namespace {

using bytes = std::vector<std::uint8_t>;
using sim::link::op;

// The payload of a request frame (the frame without its length word).
bytes payload(sim::link::writer& w)
{
    const bytes& frame = w.frame();
    return bytes(frame.begin() + 4, frame.end());
}

class link_session : public ::testing::Test {
protected:
    void SetUp() override { root_.create("one"); }

    // Answers a request; the answer's payload without its echoed code.
    bytes ask(sim::link::writer& w)
    {
        bytes answer;
        EXPECT_TRUE(sim::link::answer_request(session_, payload(w), answer));
        return answer.size() > 5 ? bytes(answer.begin() + 5, answer.end()) : bytes();
    }

    void start()
    {
        sim::link::writer w(op::session);
        w.text(root_.path());
        ask(w);
    }

    zan_test::sim_root root_;
    sim::link::session session_;
};

TEST_F(link_session, answers_as_the_hosted_device_facility_does)
{
    start();
    sim::link::writer absent(op::open);
    absent.text("\\\\.\\Scsi7:");
    const bytes absent_reply_bytes = ask(absent);
    sim::link::reader absent_reply(absent_reply_bytes);
    EXPECT_EQ(absent_reply.u32(), 2u);

    sim::link::writer open(op::open);
    open.text("\\\\.\\Scsi2:");
    const bytes open_reply_bytes = ask(open);
    sim::link::reader open_reply(open_reply_bytes);
    EXPECT_EQ(open_reply.u32(), 0u);

    // A control request over the link and the same one made directly.
    bytes envelope(zan::ENVELOPE_HEADER_LENGTH + zan::find_control_code(zan::IOCTL_KRAID_GET_CONTROLLER_INFO)->record_size);
    zan::store_le32(envelope.data(), zan::ENVELOPE_HEADER_LENGTH);
    std::memcpy(envelope.data() + 4, zan::SIGNATURE_CONTROL, 8);
    zan::store_le32(envelope.data() + 16, zan::IOCTL_KRAID_GET_CONTROLLER_INFO);
    zan::store_le32(envelope.data() + 24, static_cast<std::uint32_t>(envelope.size() - zan::ENVELOPE_HEADER_LENGTH));
    const auto size = static_cast<std::uint32_t>(envelope.size());
    sim::link::writer control(op::control);
    control.u32(zan::IOCTL_SCSI_MINIPORT);
    control.u32(size);
    control.u32(size);
    control.u8(sim::link::HAS_IN | sim::link::HAS_OUT);
    control.bytes(envelope);
    const bytes reply_bytes = ask(control);
    sim::link::reader reply(reply_bytes);
    EXPECT_EQ(reply.u32(), 0u);
    EXPECT_EQ(reply.u32(), size);
    const auto linked = reply.bytes();
    EXPECT_TRUE(reply.done());

    plat::device direct;
    ASSERT_TRUE(direct.open("\\\\.\\Scsi2:"));
    bytes answer = envelope;
    std::uint32_t returned = 0;
    ASSERT_TRUE(direct.control(zan::IOCTL_SCSI_MINIPORT, answer.data(), size, answer.data(), size, &returned));
    EXPECT_EQ(bytes(linked.begin(), linked.end()), answer);

    // An INQUIRY pass-through to the adapter's RAID disk.
    const bytes inquiry = {0x12, 0, 0, 0, 36, 0};
    sim::link::writer pass(op::pass_through);
    for (std::uint8_t b : {1, 0, 0, 0}) pass.u8(b);
    pass.u32(10);
    pass.u32(32);
    pass.u32(36);
    pass.bytes(inquiry);
    pass.bytes({});
    const bytes pass_reply_bytes = ask(pass);
    sim::link::reader pass_reply(pass_reply_bytes);
    EXPECT_EQ(pass_reply.u32(), 0u);
    EXPECT_EQ(pass_reply.u8(), 0u);
    EXPECT_EQ(pass_reply.u32(), 36u);
    EXPECT_EQ(pass_reply.bytes().size(), 36u);
    EXPECT_TRUE(pass_reply.bytes().empty());
    EXPECT_TRUE(pass_reply.done());

    sim::link::writer mask(op::volume_mask);
    const bytes mask_reply_bytes = ask(mask);
    sim::link::reader mask_reply(mask_reply_bytes);
    EXPECT_EQ(mask_reply.u32(), 0u);
    EXPECT_EQ(mask_reply.u32(), plat::logical_drive_mask());
    sim::link::writer type(op::drive_type);
    type.text("C:\\");
    const bytes type_bytes = ask(type);
    EXPECT_EQ(sim::link::reader(type_bytes).u32(), plat::DRIVE_TYPE_FIXED);
}

TEST_F(link_session, malformed_and_out_of_order_requests_close_the_connection)
{
    sim::link::writer early(op::open);
    early.text("\\\\.\\Scsi2:");
    bytes answer;
    EXPECT_FALSE(sim::link::answer_request(session_, payload(early), answer)) << "a request before the session";
    start();

    struct build {
        const char* name;
        void (*fill)(sim::link::writer&);
        op code;
    };
    const build cases[] = {
        {"a second session", [](sim::link::writer& w) { w.text(""); }, op::session},
        {"an unknown request", [](sim::link::writer&) {}, static_cast<op>(99)},
        {"a path with a zero byte", [](sim::link::writer& w) { w.text(std::string("\\\\.\\Sc\0si2:", 11)); }, op::open},
        {"a path longer than a path can be", [](sim::link::writer& w) { w.text(std::string(5000, 'x')); }, op::open},
        {"bytes left over", [](sim::link::writer& w) { w.text("C:\\"); w.u8(0); }, op::drive_type},
        {"a truncated control request", [](sim::link::writer& w) { w.u32(1); w.u32(8); }, op::control},
        {"input bytes that are not the input size",
         [](sim::link::writer& w) { w.u32(1); w.u32(8); w.u32(8); w.u8(sim::link::HAS_IN); w.bytes(bytes(4)); }, op::control},
        {"an output buffer beyond any frame",
         [](sim::link::writer& w) { w.u32(1); w.u32(0); w.u32(sim::link::FRAME_MAX); w.u8(sim::link::HAS_OUT); w.bytes({}); },
         op::control},
        {"a CDB of 17 bytes",
         [](sim::link::writer& w) { w.u8(2); w.u8(0); w.u8(0); w.u8(0); w.u32(10); w.u32(0); w.u32(0); w.bytes(bytes(17)); w.bytes({}); },
         op::pass_through},
        {"a data direction that does not exist",
         [](sim::link::writer& w) { w.u8(3); w.u8(0); w.u8(0); w.u8(0); w.u32(10); w.u32(0); w.u32(0); w.bytes(bytes(6)); w.bytes({}); },
         op::pass_through},
        {"data out that is not the data size",
         [](sim::link::writer& w) { w.u8(0); w.u8(0); w.u8(0); w.u8(0); w.u32(10); w.u32(0); w.u32(9); w.bytes(bytes(6)); w.bytes(bytes(3)); },
         op::pass_through},
        {"a length word past the end", [](sim::link::writer& w) { w.u32(0xFFFFFFFF); }, op::open},
    };
    for (const build& c : cases) {
        sim::link::writer w(c.code);
        c.fill(w);
        EXPECT_FALSE(sim::link::answer_request(session_, payload(w), answer)) << c.name;
    }
    EXPECT_FALSE(sim::link::answer_request(session_, bytes(), answer)) << "an empty payload";
    EXPECT_FALSE(session_.stop_requested);
    EXPECT_FALSE(session_.device.is_open());
}

TEST(link_frames, the_length_word_admits_one_byte_to_the_limit)
{
    const auto length = [](std::uint32_t n) {
        const std::uint8_t word[4] = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
        return sim::link::frame_length(word);
    };
    EXPECT_EQ(length(0), 0u);
    EXPECT_EQ(length(1), 1u);
    EXPECT_EQ(length(sim::link::FRAME_MAX), sim::link::FRAME_MAX);
    EXPECT_EQ(length(sim::link::FRAME_MAX + 1), 0u);
}

} // namespace
