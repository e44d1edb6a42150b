#include "adapter_report.h"

#include "messages.h"
#include "output.h"
#include "record_text.h"

namespace cli {

namespace {

constexpr flash_bank_text flash_banks[] = {
    {0x00, "-", "#1:Check Sum NG #2:Check Sum NG"},
    {0x11, "1", "#1:Check Sum OK #2:Check Sum NG"},
    {0x13, "1", "#1:Check Sum OK #2:Check Sum OK"},
    {0x22, "2", "#1:Check Sum NG #2:Check Sum OK"},
    {0x23, "2", "#1:Check Sum OK #2:Check Sum OK"},
};

struct delay_row {
    unsigned code;
    int weeks;
};
constexpr delay_row patrol_delays[] = {{1, 2}, {2, 4}, {3, 8}};

} // namespace

const flash_bank_text* find_flash_bank(std::uint8_t state)
{
    for (const flash_bank_text& row : flash_banks)
        if (row.state == state) return &row;
    return nullptr;
}

std::optional<int> patrol_delay_weeks(unsigned code)
{
    for (const delay_row& row : patrol_delays)
        if (row.code == code) return row.weeks;
    return std::nullopt;
}

std::string format_adapter_report(int adapter, const zan::ContInfo& info, const zan::ContPara& para,
                                  const adapter_report_names& names)
{
    const std::uint8_t* cpu = para.processor_revision;
    const std::uint8_t* sas = para.sas_address;
    return format(msg::adapter_report, adapter, static_cast<unsigned>(para.adapter_version), cpu[0], cpu[1], cpu[2],
                  cpu[3], sas[0], sas[1], sas[2], sas[3], sas[4], sas[5], sas[6], sas[7],
                  record_text(info.general_revision).c_str(), record_text(para.boot_firmware_revision).c_str(),
                  record_text(info.driver_version).c_str(), record_text(para.flash_rom1_revision).c_str(),
                  record_text(para.flash_rom2_revision).c_str(), info.pci_bus, info.pci_device,
                  static_cast<int>(info.total_memory_mb.get()), static_cast<int>(info.cache_size_mb.get()),
                  static_cast<int>(info.write_cache_size_mb.get()), std::string(names.bank->start_bank).c_str(),
                  std::string(names.bank->checksums).c_str(), std::string(names.priority_idle).c_str(),
                  std::string(names.priority_busy).c_str(), names.patrol_weeks);
}

} // namespace cli
