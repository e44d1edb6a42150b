// The request records of the configuration exports, byte-exact, and the
// moves between them and the 536-byte work record.
#ifndef ZAN_CONFIG_RECORDS_H
#define ZAN_CONFIG_RECORDS_H

#include <cstddef>
#include <cstring>

#include "request.h"
#include "zanbytes.h"
#include "zanioctl.h"

namespace zan {

// A status word preset to IOC_STATUS_FAILURE: a request the driver leaves
// unanswered then ends as a refusal instead of passing as done.
inline constexpr std::uint16_t UNANSWERED_STATUS = IOC_STATUS_FAILURE;

struct create_logical_disk_request {
    u8 controller_id;
    u8 first_group;
    u8 last_group;
    u8 member_count;
    u8 members[12];
    u8 hot_spare_mode;
    u8 raid_level;
    u8 reserved18[2];
    le32 stripe_size;            // 512-byte blocks
    u8 no_read_ahead;
    u8 write_through;
    u8 sub_group;
    u8 one;                      // always 1
    u8 reserved28[66];
    le16 status;
    u8 reserved96[12];
};
static_assert(sizeof(create_logical_disk_request) == 108);
static_assert(offsetof(create_logical_disk_request, hot_spare_mode) == 16);
static_assert(offsetof(create_logical_disk_request, stripe_size) == 20);
static_assert(offsetof(create_logical_disk_request, no_read_ahead) == 24);
static_assert(offsetof(create_logical_disk_request, one) == 27);
static_assert(offsetof(create_logical_disk_request, status) == 94);

struct config_logical_disk_request {
    u8 controller_id;
    u8 first_group;
    u8 last_group;
    u8 read_cache;               // 0 read ahead, 1 no read ahead
    u8 write_cache;              // 0 write back, 1 write through
    u8 auto_rebuild;             // 0 enabled, 1 disabled
    u8 reserved6[8];
    le16 status;
    u8 reserved16[10];
};
static_assert(sizeof(config_logical_disk_request) == 26);
static_assert(offsetof(config_logical_disk_request, status) == 14);

struct config_controller_request {
    u8 controller_id;
    u8 reserved1;
    le16 rebuild_priority_idle;
    le16 rebuild_priority_busy;
    le16 patrol_read_delay;
    u8 buzzer;
    u8 reserved9[9];
    le16 status;
    u8 reserved20[18];
};
static_assert(sizeof(config_controller_request) == 38);
static_assert(offsetof(config_controller_request, buzzer) == 8);
static_assert(offsetof(config_controller_request, status) == 18);

// CONFIG_HOT_SPARE (action, drive) and CONFIG_HDD_STATUS (drive, state)
// share one shape: two operand bytes after the controller id.
struct config_drive_request {
    u8 controller_id;
    u8 operand1;
    u8 operand2;
    u8 reserved3[9];
    le16 status;
    u8 reserved14[10];
};
static_assert(sizeof(config_drive_request) == 24);
static_assert(offsetof(config_drive_request, status) == 12);

struct get_glist_request {
    u8 controller_id;
    u8 reserved1[7];
    le16 status;
    le16 values[4];
};
static_assert(sizeof(get_glist_request) == 18);
static_assert(offsetof(get_glist_request, values) == 10);

struct set_glist_request {
    u8 controller_id;
    u8 reserved1[7];
    le16 values[4];
    le16 status;
};
static_assert(sizeof(set_glist_request) == 18);
static_assert(offsetof(set_glist_request, values) == 8);
static_assert(offsetof(set_glist_request, status) == 16);

template <class Request>
void put_request(work_record& record, const Request& request)
{
    static_assert(sizeof(Request) <= WORK_RECORD_SIZE);
    std::memcpy(record, &request, sizeof request);
}

template <class Request>
Request answered_request(const work_record& record)
{
    Request request;
    std::memcpy(&request, record, sizeof request);
    return request;
}

} // namespace zan

#endif
