#include "info_text.h"

#include <algorithm>
#include <cstdio>

#include "state_text.h"

namespace gui {

namespace {

std::string printed(const char* format, const std::string& value)
{
    char line[512];
    std::snprintf(line, sizeof line, format, value.c_str());
    return line;
}

std::string capacity_line(const char* label, std::uint32_t mb)
{
    return label + format_text("%u", mb / 1000) + format_text(".%03u\r\n", mb % 1000);
}

// The lines the logical-drive dialog and its restorable variant share.
std::string ld_lines(const zan::LogicalDriveInfo& info, std::uint8_t code)
{
    std::string text = printed("State\t\t\t%s\r\n", long_state_text(code));
    text += format_text("Number of HDDs\t\t%u\r\n", info.member_count);
    text += hot_spare_line(info.hot_spare_mode);
    const std::string level = raid_level_text(info);
    text += printed("RAID Level\t\t%s\r\n", level.empty() ? "UNKNOWN" : level);
    text += cache_lines(info.read_cache, info.write_cache);
    text += capacity_line("Logical Drive Capacity[GB]\t", info.size_mb.get());
    return text;
}

setting_boxes ld_ticks(const zan::LogicalDriveInfo& info)
{
    return {info.read_cache == 0, info.write_cache == 0, info.auto_rebuild == 0};
}

const char* drive_state_text(std::uint8_t state)
{
    switch (state) {
    case 0:
    case 4:
        return "Good";
    case 1:
        return "Rebuild (Rebuild target)";
    case 2:
        return "Copy (Copy target)";
    case 3:
        return "Standby";
    case 5:
        return "Move (Move target)";
    case 6:
        return "Good (Bad spot)";
    case 32:
        return "Failed (No response)";
    case 33:
        return "Failed (HDD hardware error)";
    case 34:
        return "Failed (Unrecoverable medium error)";
    case 35:
        return "Failed (SAS/SATA bus error)";
    case 36:
        return "Failed (Time out error)";
    case 37:
        return "Failed (Size mismatch)";
    case 38:
        return "Failed (HDD patrol force Failed)";
    case 39:
        return "Failed (Other Reason)";
    case hdd_absent:
        return "Not mounted";
    default:
        return "Not Supported";
    }
}

const char* link_text(std::uint8_t link)
{
    switch (link) {
    case 7:
        return "1.5Gbps\r\n";
    case 8:
        return "3.0Gbps\r\n";
    case 254:
        return "LINK ERROR\r\n";
    case 255:
        return "PHY DISABLED\r\n";
    default:
        return "- \r\n";
    }
}

// The "Utilization" line's value; reads the logical drive of a member.
std::optional<std::string> utilization(session& s, const zan::PhysicalDriveInfo& info, int hdd)
{
    constexpr std::uint8_t role_spare = 2;
    switch (info.drive_class) {
    case use_member: {
        zan::LogicalDriveInfo ld{};
        if (!getLogicalDriveInfo(s.current, info.group, &ld)) {
            report_access_error(s, "OnInitHDDInfo-getLogicalDriveInfo");
            return std::nullopt;
        }
        const int entries = std::min<int>(ld.member_count, static_cast<int>(std::size(ld.members)));
        const bool local_spare =
            ld.hot_spare_mode == spare_local &&
            std::any_of(ld.members, ld.members + entries,
                        [hdd](const zan::MemberEntry& m) { return m.hdd == hdd && m.role == role_spare; });
        return format_text(local_spare ? "Local Hotspare(LD%u)\r\n" : "Logical Drive Member(LD%u)\r\n", info.group);
    }
    case use_free_used:
        return "Free(Used HDD)\r\n";
    case use_spare_in_use:
        return format_text("Hot Spare (Assigned for LD%u)\r\n", info.group);
    case use_free_spare:
        return "Hot Spare(Free)\r\n";
    case use_free_fresh:
        return "Free(Fresh HDD)\r\n";
    case use_restorable:
        return "Restorable\r\n";
    default:
        return "\r\n";
    }
}

} // namespace

bool settings_changed(const info_dialog& dialog, const setting_boxes& boxes)
{
    return dialog.at_opening != boxes;
}

bool may_close(session& s, const info_dialog& dialog, const setting_boxes& boxes, bool adapter)
{
    if (!settings_changed(dialog, boxes)) return true;
    return ask_question(s, s.tr(adapter ? texts::discard_adapter : texts::discard_ld), texts::close_confirm_title,
                        icon::warning, buttons::yes_no);
}

// ---- Adapter --------------------------------------------------------------------------

std::optional<info_dialog> adapter_dialog(session& s)
{
    const char* function = "OnButtonContInfo";
    controller_view& view = s.controller();
    if (!getContInfo(s.current, &view.info)) {
        report_access_error(s, context_of(function, "getContInfo"));
        return std::nullopt;
    }
    if (!refresh_status(s, function)) return std::nullopt;
    if (!getContPara(s.current, &view.para)) {
        report_access_error(s, context_of(function, "getContPara"));
        return std::nullopt;
    }
    const zan::ContInfo& info = view.info;
    const zan::ContPara& para = view.para;
    char line[160];
    std::string text;
    std::snprintf(line, sizeof line, "adapter ID\t\tNo. %u, (BUS=%X,DEV=%X)\r\n", static_cast<unsigned>(s.current),
                  info.pci_bus, info.pci_device);
    text += line;
    const std::uint8_t* p = para.processor_revision;
    std::snprintf(line, sizeof line, s.tr(texts::processor_revision_line), p[0], p[1], p[2], p[3]);
    text += line;
    text += s.tr(texts::sas_address_label);
    for (const std::uint8_t byte : para.sas_address) {
        std::snprintf(line, sizeof line, "%02x", byte);
        text += line;
    }
    text += "\r\n";
    if (view.kind == 2 || view.kind == 3) text += printed("General Revision\t\t%s\r\n", record_text(info.general_revision));
    text += printed(s.tr(texts::boot_revision_line), record_text(para.boot_firmware_revision));
    text += printed("Driver Revision\t\t%s\r\n", record_text(info.driver_version));
    text += printed("Cache Size\t\t%s\r\n", format_text("%uMB", info.cache_size_mb.get()));
    text += printed("adapter Revision\t\t%s\r\n", format_text("%x", info.revision));
    text += printed("Memory Size\t\t%s\r\n", format_text("%uMB", info.total_memory_mb.get()));

    const auto position = [](std::uint32_t value) { return std::clamp(static_cast<int>(value) - 1, 0, 2); };
    return info_dialog{text,
                       {position(info.rebuild_priority_idle.get()), position(info.rebuild_priority_busy.get()),
                        position(info.patrol_read_delay.get())},
                       true};
}

bool set_adapter_settings(session& s, info_dialog& dialog, const setting_boxes& boxes)
{
    struct step {
        decltype(&setRESTintvIDLE) set;
        const char* context;
        const text& failure;
    };
    static const step steps[] = {
        {setRESTintvIDLE, "OnSetContInfo-setRESTintvIDLE", texts::rebuild_priority_failed},
        {setRESTintvBUSY, "OnSetContInfo-setRESTintvBUSY", texts::rebuild_priority_failed},
        {setHDDintv, "OnSetContInfo-setHDDintv", texts::patrol_failed},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        if (!steps[i].set(s.current, boxes[i] + 1)) {
            report_error(s, steps[i].context, steps[i].failure, texts::adapter_info_title);
            return false;
        }
    }
    zan::ContInfo& info = s.controller().info;
    info.rebuild_priority_idle.set(static_cast<std::uint32_t>(boxes[0] + 1));
    info.rebuild_priority_busy.set(static_cast<std::uint32_t>(boxes[1] + 1));
    info.patrol_read_delay.set(static_cast<std::uint32_t>(boxes[2] + 1));
    dialog.at_opening = boxes;
    return true;
}

// ---- Logical drive ----------------------------------------------------------------------

void merge_bad_spots(std::vector<std::uint32_t>& list, const zan::BadspotInfo& info)
{
    const std::uint32_t count = std::min<std::uint32_t>(info.count.get(), zan::BAD_SPOT_LIST_SIZE);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t lba = info.lba[i].get();
        const auto at = std::lower_bound(list.begin(), list.end(), lba);
        if (at != list.end() && *at == lba) continue;
        if (list.size() >= bad_spot_limit) return;
        list.insert(at, lba);
    }
}

std::optional<std::vector<std::uint32_t>> ld_bad_spots(session& s, int ld)
{
    std::vector<std::uint32_t> list;
    const controller_view& view = s.controller();
    for (int hdd = 0; hdd < view.slots; ++hdd) {
        if (view.status.hdd_state[hdd] == hdd_absent) continue;
        zan::PhysicalDriveInfo info{};
        if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
            report_access_error(s, "GetBSInfoLD-getPhysicalDriveInfo");
            return std::nullopt;
        }
        if (info.drive_class != use_member || info.group != ld) continue;
        zan::BadspotInfo spots{};
        if (!getBadspotInfo(s.current, hdd, &spots)) {
            report_error(s, "GetBSInfoLD-getBadspotInfo", texts::bad_spot_failed, texts::ld_info_title);
            return std::nullopt;
        }
        merge_bad_spots(list, spots);
    }
    return list;
}

std::optional<info_dialog> ld_dialog(session& s, int ld)
{
    const char* function = "OnInitLDInfo";
    if (!refresh_status(s, function)) return std::nullopt;
    zan::LogicalDriveInfo info{};
    if (!getLogicalDriveInfo(s.current, ld, &info)) {
        report_access_error(s, context_of(function, "getLogicalDriveInfo"));
        return std::nullopt;
    }
    const controller_view& view = s.controller();
    std::string text = format_text("Logical Drive No.\t\tLD%u\r\n", static_cast<std::uint32_t>(ld));
    text += ld_lines(info, view.status.ld_state[ld]);
    text += printed("Assigned to     \t\t%s\r\n", view.drive_letters[static_cast<std::size_t>(ld)]);
    text += printed("Data Lost\t\t\t%s\r\n", info.force_state_change ? "Exist" : "Nothing");
    const std::optional<std::vector<std::uint32_t>> spots = ld_bad_spots(s, ld);
    if (!spots) return std::nullopt;
    text += "Bad Spot (LBA)\t\t";
    for (std::size_t i = 0; i < spots->size(); ++i) text += format_text(i == 0 ? "%08Xh\r\n" : "\t\t\t%08Xh\r\n", (*spots)[i]);
    if (spots->empty()) text += "\r\n";
    return info_dialog{text, ld_ticks(info), true};
}

bool set_ld_properties(session& s, int ld, info_dialog& dialog, const setting_boxes& boxes)
{
    struct step {
        decltype(&setReadCache) set;
        const char* context;
        const text& failure;
    };
    static const step steps[] = {
        {setReadCache, "OnLDSet-setReadCache", texts::read_cache_failed},
        {setWriteCache, "OnLDSet-setWriteCache", texts::write_cache_failed},
        {setAutoRebuild, "OnLDSet-setAutoRebuild", texts::auto_rebuild_failed},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        if (!steps[i].set(s.current, ld, boxes[i] ? 1 : 0)) {
            report_error(s, steps[i].context, steps[i].failure, texts::ld_info_title);
            return false;
        }
    }
    dialog.at_opening = boxes;
    return true;
}

std::optional<info_dialog> restorable_dialog(session& s, int number)
{
    const char* function = "OnInitRLDInfo";
    zan::RestoreStatus status{};
    if (!getRestoreLDsts(s.current, &status)) {
        report_access_error(s, context_of(function, "getRestoreLDsts"));
        return std::nullopt;
    }
    zan::LogicalDriveInfo info{};
    if (!getRestoreLDInfo(s.current, number, &info)) {
        report_access_error(s, context_of(function, "getRestoreLDInfo"));
        return std::nullopt;
    }
    std::string text = format_text("Logical Drive(Restore) No.\tRLD%u\r\n", static_cast<std::uint32_t>(number));
    text += ld_lines(info, status.candidate_state[number]);
    text += "Assigned to     \t\t\r\n";
    text += printed("Data Lost\t\t\t%s\r\n", info.force_state_change ? "Exist" : "Nothing");
    return info_dialog{text, ld_ticks(info), false};
}

// ---- Physical drive ---------------------------------------------------------------------

std::optional<std::string> hdd_dialog(session& s, int hdd)
{
    const char* function = "OnInitHDDInfo";
    if (!refresh_status(s, function)) return std::nullopt;
    const std::uint8_t state = s.controller().status.hdd_state[hdd];
    const bool absent = state == hdd_absent;
    zan::PhysicalDriveInfo info{};
    if (!getPhysicalDriveInfo(s.current, hdd, &info)) {
        if (!absent) {
            report_access_error(s, context_of(function, "getPhysicalDriveInfo"));
            return std::nullopt;
        }
        info.group = zan::ABSENT;
    }
    if (absent && info.group == zan::ABSENT) return std::nullopt;

    std::string text = format_text("Physical Drive Num\t\tHDD%u\r\n", static_cast<std::uint32_t>(hdd));
    text += "Vendor ID\t\t\t" + (absent ? std::string() : record_text(info.vendor)) + "\r\n";
    text += "Product ID\t\t\t" + (absent ? std::string() : record_text(info.product)) + "\r\n";
    text += "Revision\t\t\t" + (absent ? std::string() : record_text(info.revision)) + "\r\n";
    text += printed("Status\t\t\t%s\r\n", drive_state_text(state));
    const std::optional<std::string> use = utilization(s, info, hdd);
    if (!use) return std::nullopt;
    text += "Utilization\t\t\t" + *use;
    const std::uint32_t mb = info.size_mb.get();
    text += absent || mb == 0 ? std::string("Capacity[GB]\t\t-\r\n") : capacity_line("Capacity[GB]\t\t", mb);
    text += std::string("SAS/SATA Link rate\t\t") + (absent ? "-\r\n" : link_text(info.link));
    const std::uint32_t errors = absent ? 0 : info.medium_error_count.get();
    text += errors == 0xFFFFFFFFu ? std::string("Medium sector error\t\t-\r\n")
                                  : format_text("Medium sector error\t\t%u\r\n", errors);
    constexpr std::uint8_t smart_received = 4;
    text += std::string("State of SMART\t\t") + (!absent && info.smart == smart_received
                                                      ? "SMART Attention has been received.\r\n"
                                                      : "SMART Attention has not been received.\r\n");
    return text;
}

} // namespace gui
