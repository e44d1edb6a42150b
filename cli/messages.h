// Every text zancli prints, in one place. Texts with conversions are printf
// formats for cli::format / cli::sayf.
#ifndef CLI_MESSAGES_H
#define CLI_MESSAGES_H

namespace cli::msg {

// Start-up and dispatch.
inline constexpr char wrong_parameters[] = "Fatal error - zancli invoked with wrong parameters.";
inline constexpr char not_supported[] = "%s param is not supported.";
inline constexpr char dll_initialize_error[] = "DLL initialize error.";
inline constexpr char already_started[] = "Fatal error - The CLI tool has already started.";
inline constexpr char competition[] =
    "Fatal error - The competition with another application occurred.\n"
    "Please execute it after opening the interval.";

// Option parsing and selections.
inline constexpr char invalid_input[] = "Invalid input at or near token %s.";
inline constexpr char no_adapter[] = "Fatal error - There is no Adapter.";
inline constexpr char specified_not_exist[] = "Fatal error - The specified %s: %d doesn't exist.";
inline constexpr char adapter_specified_not_exist[] = "Fatal error - Adapter %d-The specified %s: %d doesn't exist.";
inline constexpr char no_virtual_drive[] = "Fatal error - Adapter %d: There is no Virtual Drive.";
inline constexpr char object_adapter[] = "Adapter";
inline constexpr char object_virtual_drives[] = "Virtual Drives";
inline constexpr char object_physical_drive[] = "Physical Drive";

// Library error report.
inline constexpr char adapter_detected_error[] =
    "The error was detected as an Adapter %d.\nPlease ascertain the situation.";
inline constexpr char detected_error[] = "The error was detected as an Adapter.\nPlease ascertain the situation.";
inline constexpr char adapter_cannot_execute[] =
    "Adapter %d: The specified operation cannot be executed.\nPlease ascertain the situation.";
inline constexpr char cannot_execute[] = "The specified operation cannot be executed.\nPlease ascertain the situation.";
inline constexpr char internal_error[] = "Fatal error - Internal error -0x%d000%08x.";
inline constexpr char information_abnormal[] = "Fatal error - Adapter %d: DLL information is abnormal.";

// Confirmation prompts.
inline constexpr char confirm_generic[] = "Is it executed?(Y/N)?";
inline constexpr char confirm_delete[] = "Is the delete executed?(Y/N)?";
inline constexpr char confirm_online[] = "Is the online executed?(Y/N)?";
inline constexpr char confirm_offline[] = "Is the offline executed?(Y/N)?";
inline constexpr char confirm_remove_hot_spare[] = "Is the removing of Hot Spare executed?(Y/N)?";

// ---- Adapter commands: -AdpAllInfo, -AdpAutoRbld, -AdpPRSetDelay and the
// prevent limits.
inline constexpr char adapter_report[] =
    "Adapter #%d\n"
    "\n"
    "================================================================================\n"
    "                Versions\n"
    "                ========================\n"
    "Adapter Name          : Meridan Raid Adapter 3Gbps 8port Generation0\n"
    "Adapter Type          : ZAN610\n"
    "Adapter Version       : %x\n"
    "Processor Revision    : %02x%02x%02x%02x\n"
    "SAS Address           : %02x%02x%02x%02x%02x%02x%02x%02x\n"
    "General Revision      : %s\n"
    "BOOT FW Revision      : %s\n"
    "Driver Version        : %s\n"
    "Flash ROM Revision #1 : %s\n"
    "                   #2 : %s\n"
    "\n"
    "                PCI Info\n"
    "                ========================\n"
    "Bus Number       : %d\n"
    "Slot Number      : %d\n"
    "Vender ID        : 0x8086\n"
    "Device ID        : 0x3310\n"
    "Sub Vender ID    : 0x5a4e\n"
    "Sub Device ID    : 0x0610\n"
    "\n"
    "                HW Configuration\n"
    "                ========================\n"
    "BBU              : Absent\n"
    "NVRAM            : Present\n"
    "Serial Debugger  : Absent\n"
    "Memory           : Present\n"
    "Flash            : Present\n"
    "\n"
    "                Memory Info\n"
    "                ========================\n"
    "Total Memory     : %dMB\n"
    "Cache Size       : %dMB\n"
    "Write Cache Size : %dMB\n"
    "\n"
    "                Settings\n"
    "                ========================\n"
    "Flash ROM Start BANK        : #%s (%s)\n"
    "Rebuild Priority (IDLE)     : %s\n"
    "Rebuild Priority (BUSY)     : %s\n"
    "Patrol Read Execution Delay : %d week.\n";
inline constexpr char auto_rebuild_state[] = "Adapter %d:\nVirtual drv-%d:\nAutoRebuild is %s.\n";
inline constexpr char auto_rebuild_enabled[] = "Enabled";
inline constexpr char auto_rebuild_disabled[] = "Disabled";
inline constexpr char patrol_delay_set[] = "Adapter %d: Patrol Read Execution Delay is %d week.";
inline constexpr char prevent_limits[] = "Adapter #%d\n\nPreventLimit: %d\nPreventLimit OneMonth: %d\n"
                                         "PreventLimit HalfYear: %d\nPreventLimit OneYear: %d\n";
inline constexpr char prevent_limit_set[] = "Adapter %d: PreventLimit is %d.";
inline constexpr char prevent_limit_one_month_set[] = "Adapter %d: PreventLimit OneMonth is %d.";
inline constexpr char prevent_limit_half_year_set[] = "Adapter %d: PreventLimit HalfYear is %d.";
inline constexpr char prevent_limit_one_year_set[] = "Adapter %d: PreventLimit OneYear is %d.";

// ---- Physical-drive commands: -PDInfo, -PDList, -PDGetNum, -PDOnline,
// -PDOffline, -PDHSP, -PDLocate; the physical-drive block.
inline constexpr char pd_block_physical_disk[] = "Physical Disk: %d";
inline constexpr char pd_block_information[] = "PD: %d Information";
inline constexpr char pd_block_body[] = "Vendor ID:             %s\n"
                                        "Product ID:            %s\n"
                                        "Revision:              %s\n"
                                        "Assign Virtual Disk:   %s\n"
                                        "Class:                 %s\n"
                                        "Size:                  %dMB\n"
                                        "State:                 %s\n"
                                        "Sync Period:           %s\n"
                                        "SMART:                 %s\n"
                                        "Bad Spot State:        %s\n"
                                        "Bad Spot Count:        %d\n"
                                        "Inquiry Data:          %s\n";
inline constexpr char pd_report_heading[] = "Adapter %d -- Physical Drive Information:\n";
inline constexpr char pd_count[] = "Number of Physical drives on adapter %d: %d.";
inline constexpr char pd_online[] = "Physical Drive %d ( Adapter %d ) state changed to OnLine.";
inline constexpr char pd_offline[] = "Physical Drive %d ( Adapter %d ) state changed to OffLine.";
inline constexpr char hot_spare_set[] = "Adapter %d: Physical Drive %d was set to the Hot Spare.";
inline constexpr char hot_spare_removed[] = "Adapter %d: Physical Drive %d was removed to the Hot Spare.";
inline constexpr char led_active[] = "Physical Drive %d ( Adapter %d ) LED is Active.";
inline constexpr char led_not_active[] = "Physical Drive %d ( Adapter %d ) LED is not Active.";
inline constexpr char already_the_setting[] = "Fatal error - %s %d-%s %d: It is already the setting.";
inline constexpr char pd_not_good[] = "Fatal error - Adapter %d-PD %d: state is not GOOD.";
inline constexpr char no_physical_drive[] = "Fatal error - Adapter %d: There is no Physical Drive.";
inline constexpr char listing_pd[] = "Adapter %d-PD %d";
inline constexpr char listing_pd_already[] = "Adapter %d-PD %d: It is already the setting.";
inline constexpr char listing_pd_missing[] = "Adapter %d-PD %d: The specified Physical Drive doesn't exist.";

// The simple commands.
inline constexpr char adapter_count[] = "Adapter Count: %d.";
inline constexpr char banner[] = "    Meridan RAID Adapter Command Line Tool Ver %s\n"
                                 "    Copyright (C) 2009 Meridan. All rights reserved.";
inline constexpr char usage[] =
    "zancli -AdpAllInfo -aN|-a0,1,2|-aALL\n"
    "zancli -AdpCount\n"
    "zancli -AdpAutoRbld -Enbl|-Dsbl|-Dsply -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -AdpPRSetDelay -High|-Middle|-Low -aN|-a0,1,2|-aALL\n"
    "zancli -CfgLDAdd -R0|-R1|-R5[0:0,1:1,...N:N] {-WT|-WB} {-NORA|-RA} {-afterLdx} -aN\n"
    "zancli -CfgSpanADD -R10 -Array0[0:0,1:1,...N:N] -Array1[0:0,1:1,...N:N] [-Arrayx[0:0,1:1,...N:N]] "
    "{-WT|-WB} {-NORA|-RA} {-afterLdx} -aN\n"
    "zancli -CfgLDDel -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDInfo -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDSetProp -WT|-WB|-NORA|-RA -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDGetProp -Cache -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDCC -Start|-Abort|-ShowProg|-ProgDsply -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDPDInfo -aN|-a0,1,2|-aALL\n"
    "zancli -LDGetNum -aN|-a0,1,2|-aALL\n"
    "zancli -PDInfo -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n"
    "zancli -PDOnline -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n"
    "zancli -PDOffline -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n"
    "zancli -PDHSP -Set|-Rmv -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n"
    "zancli -PDRbld -Start|-ShowProg|-ProgDsply -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n"
    "zancli -PDGetNum -aN|-a0,1,2|-aALL\n"
    "zancli -PDList -aN|-a0,1,2|-aALL\n"
    "zancli -v\n"
    "zancli -h|-Help|?\n"
    "zancli -PDRbldPrrty -Idle|-Busy -High|-Middle|-Low -aN|-a0,1,2|-aALL\n"
    "zancli -LDParity -Start|-Abort|-ShowProg|-ProgDsply -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -LDRstrDrvList -aN|-a0,1,2|-aALL\n"
    "zancli -LDRstr -Rstr|-Del -SLx {-DLx} {-WCache} {-RCache} -aN\n"
    "zancli -LDRstrDrvInfo -Lx -aN\n"
    "zancli -LDBadSpot -Lx|-L0,1,2|-Lall -aN|-a0,1,2|-aALL\n"
    "zancli -AdpFwFlash -fFileName {-NoVerChk} {-VerDown} -aN|-a0,1,2|-aALL\n"
    "zancli -PDLocate -Active|-Passive -PhysDrv[0:0,1:1,...N:N] -aN|-a0,1,2|-aALL\n";

// ---- Logical-drive commands: -CfgLDAdd, -CfgSpanADD, -CfgLDDel, -LDInfo,
// -LDSetProp, -LDGetProp, -LDGetNum, -LDPDInfo; the logical-drive block.
inline constexpr char created_virtual_drive[] = "Adapter %d: Created Virtual drv-%d.";
inline constexpr char deleted_virtual_drive[] = "Adapter %d: Deleted Virtual drv-%d.";
inline constexpr char cannot_delete_with_letters[] =
    "Fatal error - Adapter %d-VD %d: Cannot delete the Virtual Drive which has drive latter[s].";
inline constexpr char ld_number_exceeds[] =
    "Fatal error - Adapter %d: The specified Virtual Drive number exceeds the limitation value.\n"
    "Number that can be specified: 0-7.";
inline constexpr char adapter_full[] = "Fatal error - Adapter %d: A Virtual Drive cannot be made any further.";
inline constexpr char hdd_count_abnormal[] =
    "Fatal error - Adapter %d: The number of HDD to the RAID composition is abnormal.";
inline constexpr char no_virtual_and_physical_drive[] =
    "Fatal error - Adapter %d: There is no Virtual Drive & Physical Drive.";
inline constexpr char write_cache_is[] = "Adapter %d-VD %d: WriteCache is %s.";
inline constexpr char read_cache_is[] = "Adapter %d-VD %d: ReadCache is %s.";
inline constexpr char cache_enabled[] = "Enabled";
inline constexpr char cache_disabled[] = "Disabled";
inline constexpr char cache_policy[] = "Adapter %d-VD %d: Cache Policy: %s, %s.";
inline constexpr char write_through[] = "WriteThrough";
inline constexpr char write_back[] = "WriteBack";
inline constexpr char read_ahead_none[] = "ReadAheadNone";
inline constexpr char read_ahead[] = "ReadAhead";
inline constexpr char ld_count[] = "Number of Virtual drives configured on adapter %d: %d.";
inline constexpr char ld_info_heading[] = "Adapter %d -- Virtual Drive Information:\n";
inline constexpr char ld_pd_info_heading[] = "Adapter #%d\n\nNumber of Virtual Disks: %d";
inline constexpr char delete_listing_volume[] = "Adapter %d-VD %d: Valid partition exist on it.";
inline constexpr char delete_listing_drive[] = "Adapter %d-VD %d";
inline constexpr char delete_listing_missing[] = "Adapter %d-VD %d: The specified Virtual Drive doesn't exist.";
inline constexpr char ld_block[] = "Virtual Disk:          %d\n"
                                   "RAID Level:            RAID%d\n"
                                   "Size:                  %dMB\n"
                                   "State:                 %s\n"
                                   "Stripe Size:           %s\n"
                                   "Number of Drives:      %d\n"
                                   "Hot Spare Mode:        %s\n"
                                   "Auto Rebuild:          %s\n"
                                   "Rebuild State:         %s\n"
                                   "Maintenance State:     %s\n"
                                   "Operation Progress:    %d%s\n"
                                   "Force State Change:    %s\n"
                                   "Operation Error Count: %d\n"
                                   "Read Cache:            %s\n"
                                   "Write Cache:           %s\n";

// ---- Restore and bad-spot commands: -LDRstrDrvList, -LDRstrDrvInfo,
// -LDRstr, -LDBadSpot.
inline constexpr char restore_list_heading[] = "Adapter #%d\n\nNumber of Candidate Restore: %d\n\n"
                                               "Virtual Drive State\n====================";
inline constexpr char restore_list_line[] = "#%2d : %s";
inline constexpr char restore_block[] = "Adapter #%d\n"
                                        "\n"
                                        "Number of Physical Drive: %d\n"
                                        "\n"
                                        "Virtual Disk:          %d\n"
                                        "RAID Level:            RAID%d\n"
                                        "Size:                  %dMB\n"
                                        "Stripe Size:           %s\n"
                                        "Number of Drives:      %d\n"
                                        "Hot Spare Mode:        %s\n"
                                        "Auto Rebuild:          %s\n"
                                        "Rebuild State:         %s\n"
                                        "Maintenance State:     %s\n"
                                        "Operation Progress:    %d%s\n"
                                        "Read Cache:            %s\n"
                                        "Write Cache:           %s\n";
inline constexpr char restored_virtual_drive[] = "Adapter %d: Restored Virtual drv-%d.";
inline constexpr char ld_not_good[] = "Fatal error - Adapter %d-LD %d: state is not GOOD.";
inline constexpr char adapter_heading[] = "Adapter #%d";
inline constexpr char bad_spot_drive[] = "\nVirtual Drive: %d";
inline constexpr char bad_spot_heading[] = "LBA Information\n================";
inline constexpr char bad_spot_line[] = "#%d : 0x%08x";
inline constexpr char bad_spot_none[] = "Bad Spot None.";

// ---- Firmware update: -AdpFwFlash.
inline constexpr char fw_file_not_found[] = "Fatal error - %s: The specified file is not found.";
inline constexpr char fw_file_open_failure[] = "Fatal error - %s: file open failure.";
inline constexpr char fw_file_read_failure[] = "Fatal error - %s: file read failure.";
inline constexpr char fw_not_image[] = "Fatal error - %s: The specified file is not an image file.";
inline constexpr char fw_broken[] = "Fatal error - %s: file is broken.";
inline constexpr char fw_downgrade_refused[] =
    "Fatal error - Adapter %d: The down of the version of Firmware has not been permitted.";
inline constexpr char fw_io_device_abnormal[] = "Fatal error - Adapter %d: It is abnormal in the I/O device.";
inline constexpr char fw_information[] = "\n"
                                         "Update File Information\n"
                                         "\tROM General Revision : %s\n"
                                         "\tUpdate file          : %s\n"
                                         "\tUpdate adapter       : %d\n"
                                         "\tGeneral Revision     : %s\n"
                                         "\tDate of making       : %x%.2x/%x/%x\n"
                                         "\tAuthor               : %s\n"
                                         "\tImage size           : %xH\n"
                                         "\n";
inline constexpr char fw_confirm[] = "\tIs the update executed?(Y/N)?";
inline constexpr char fw_progress_heading[] = "Firmware Update progress of...\n\n Adapter #                     Percent Complete";
inline constexpr char fw_progress_bar[] =
    "        %2d         -----------------------00 %s-----------------------\r";
inline constexpr char fw_completed[] = "   Adapter %d: Firmware Update Completed.";
inline constexpr char fw_reactivation[] = "   When being reactivate next time, Firmware is renewed.";

// ---- Background-task commands: -LDCC, -LDParity, -PDRbld, -PDRbldPrrty;
// progress bars and the live display.
inline constexpr char cc_started[] = "Start Consistency Check on Virtual Drive %d ( Adapter %d ) succeeded.";
inline constexpr char cc_aborted[] = "Abort Consistency Check on Virtual Drive %d ( Adapter %d ) succeeded.";
inline constexpr char mp_started[] = "Start Make Parity on Virtual Drive %d ( Adapter %d ) succeeded.";
inline constexpr char mp_aborted[] = "Abort Make Parity on Virtual Drive %d ( Adapter %d ) succeeded.";
inline constexpr char cc_raid0[] = "Fatal error - Adapter %d-VD %d: Consistency Check cannot be done with RAID0.";
inline constexpr char mp_raid0[] = "Fatal error - Adapter %d-VD %d: Make parity cannot be done with RAID0.";
inline constexpr char vd_already_executing[] = "Fatal error - Adapter %d-VD %d: It has already been executing it.";
inline constexpr char vd_cc_executing[] = "Fatal error - Adapter %d-VD %d: Consistency Check is being executed.";
inline constexpr char vd_mp_executing[] = "Fatal error - Adapter %d-VD %d: Make Parity is being executed.";
inline constexpr char vd_rebuild_executing[] = "Fatal error - Adapter %d-VD %d: Rebuild is being executed.";
inline constexpr char cc_already_ended[] = "Fatal error - Adapter %d-VD %d: Consistency Check have already ended.";
inline constexpr char mp_already_ended[] = "Fatal error - Adapter %d-VD %d: Make Parity have already ended.";
inline constexpr char cc_not_in_progress[] = "Check Consistency on Adapter #%d-VD #%d is not in progress.";
inline constexpr char mp_not_in_progress[] = "Make Parity on Adapter #%d-VD #%d is not in Progress.";
inline constexpr char rebuild_started[] = "Start Rebuild on Physical Drive %d ( Adapter %d ) succeeded.";
inline constexpr char pd_rebuild_impossible[] = "Fatal error - Adapter %d-PD %d: Rebuild cannot be executed.";
inline constexpr char pd_rebuild_raid0[] = "Fatal error - Adapter %d-PD %d: Rebuild cannot be done with RAID0.";
inline constexpr char pd_already_executing[] = "Fatal error - Adapter %d-PD %d: It has already been executing it.";
inline constexpr char pd_cc_executing[] = "Fatal error - Adapter %d-PD %d: Consistency Check is being executed.";
inline constexpr char pd_mp_executing[] = "Fatal error - Adapter %d-PD %d: Make Parity is being executed.";
inline constexpr char pd_not_rebuilding[] = "Adapter %d-PD %d is not in rebuild process.";
inline constexpr char abort_option[] = "-Abort";
inline constexpr char rebuild_priority_set[] = "Adapter %d: The priority of Rebuild in %s state was made %s.";
inline constexpr char cc_heading[] =
    "Check Consistency progress of virtual drives...\n\n Adapter #  VD #               Percent Complete";
inline constexpr char mp_heading[] =
    "Make Parity progress of virtual drives...\n\n Adapter #  VD #               Percent Complete";
inline constexpr char rebuild_heading[] =
    "Rebuild progress of physical drives...\n\n Adapter #  PD #               Percent Complete";
inline constexpr char task_bar_line[] =
    "   %2d       %2d     -----------------------00 %s-----------------------\r";
inline constexpr char press_any_key_to_quit[] = "   Press any key to quit...\r";
inline constexpr char press_a_key_to_continue[] = "\r   Press a key to continue...\r";
inline constexpr char completed_bar[] = "***********************100%***********************\r";

} // namespace cli::msg

#endif
