// Every text zanutil shows, in its two languages. A text is chosen by the
// session's locale; lines that only have a Japanese original carry an
// English wording of our own.
#ifndef GUI_TEXTS_H
#define GUI_TEXTS_H

namespace gui {

struct text {
    const char* english;
    const char* japanese;
};

enum class locale { english, japanese };

constexpr const char* pick(const text& t, locale language)
{
    return language == locale::japanese ? t.japanese : t.english;
}

namespace texts {

// ---- Captions, titles and page names -----------------------------------
inline constexpr text console_title{"RAID Management Console", "RAID Management Console"};
inline constexpr text page_names[6] = {
    {"View Configuration", "構成の表示"},
    {"Create Logical Drive", "論理ドライブの作成"},
    {"Delete Logical Drive", "論理ドライブの削除"},
    {"Setup Global HS", "グローバルHSの設定"},
    {"Restore Logical Drive", "論理ドライブの復元"},
    {"Maintain Logical Drive", "論理ドライブの保守"},
};
inline constexpr text adapter_info_title{"adapter Information", "アダプタ情報"};
inline constexpr text ld_info_title{"Logical Drive Information", "論理ドライブ情報"};
inline constexpr text rld_info_title{"Logical Drive(Restore) Information", "論理ドライブ(復元)情報"};
inline constexpr text hdd_info_title{"Physical Drive Information", "物理ドライブ情報"};
inline constexpr text setup_info_title{"Logical Drive Setup Information", "論理ドライブ設定情報"};
inline constexpr text restore_setup_title{"Logical Drive(Restore) Setup Information", "論理ドライブ(復元)設定情報"};
inline constexpr text update_info_title{"Update Information", "アップデート情報"};
inline constexpr text close_confirm_title{"Close Confirmation", "終了確認"};

// ---- Popup menus ----------------------------------------------------------
inline constexpr text menu_ld_info{"Logical Drive Information", "論理ドライブ情報"};
inline constexpr text menu_hdd_info{"Physical Drive Information", "物理ドライブ情報"};
inline constexpr text menu_update{"Update", "更新"};
inline constexpr text menu_force_good{"Force Good", "強制Good"};
inline constexpr text menu_force_failed{"Force Failed", "強制Failed"};
inline constexpr text menu_location{"Location", "ロケーション"};

// ---- Start-up and controller initialisation ----------------------------
inline constexpr text already_running{"RAID Management Console is already running.",
                                      "RAID Management Console は既に起動しています。"};
inline constexpr text must_be_admin{"Must have administrative privileges.", "管理者権限が必要です。"};
inline constexpr text log_create_failed{"Failed to create log file.", "ログファイルの作成に失敗しました。"};
inline constexpr text init_failed{"Failed to initialize.", "初期化に失敗しました。"};
inline constexpr text adapter_not_found{"RAID adapter is not found.", "RAIDアダプタが見つかりません。"};
inline constexpr text adapter_not_supported{"RAID adapter is not supported.", "サポートされていないRAIDアダプタです。"};
inline constexpr text adapter_access{"An error has occurred on accessing to RAID adapter.",
                                     "RAIDアダプタへのアクセスでエラーが発生しました。"};
inline constexpr text conflict{"Another application is using the RAID adapters.\r\nPlease try again later.",
                               "他のアプリケーションがRAIDアダプタを使用中です。\r\nしばらくしてから再度実行してください。"};
inline constexpr text windows_api_error{"An error has occurred with Windows API. (code=0x%X)",
                                        "Windows APIでエラーが発生しました。(code=0x%X)"};
inline constexpr text internal_error{"Internal error has occurred. (code=0x%X)", "内部エラーが発生しました。(code=0x%X)"};

// ---- Drive commands ------------------------------------------------------
inline constexpr text hdd_state_failed{"Failed to change the state of HDD.\r\nPlease confirm the state of HDD. ",
                                       "HDDの状態変更に失敗しました。\r\nHDDの状態を確認してください。"};
inline constexpr text led_on_failed{"Failed to blink location LED.", "ロケーションLEDの点滅に失敗しました。"};
inline constexpr text led_off_failed{"Failed to off HDD location LED. ", "ロケーションLEDの消灯に失敗しました。"};

// ---- Operations ----------------------------------------------------------
inline constexpr text create_failed{"Failed to create Logical Drive.", "論理ドライブの作成に失敗しました。"};
inline constexpr text sizes_differ{"Some HDDs have different capacity.  \r\nCreate the Logical Drive?",
                                   "容量の異なるHDDがあります。\r\n論理ドライブを作成しますか?"};
inline constexpr text no_battery{"No battery(or Failed)!\r\nWhen power failure occurs, cached data may be lost.\r\n"
                                 "Create the LogicalDrive?",
                                 "バッテリがありません(または故障しています)。\r\n停電時にキャッシュ上のデータが失われる"
                                 "可能性があります。\r\n論理ドライブを作成しますか?"};
inline constexpr text creating{"Creating Logical Drive.", "論理ドライブを作成します。"};
inline constexpr text no_global_spare{"Logical Drive was created, but there is no Global HS.\r\n"
                                      "Please assign at lease one Global HS.",
                                      "論理ドライブを作成しましたが、グローバルHSがありません。\r\n"
                                      "グローバルHSを1台以上設定してください。"};
inline constexpr text has_drive_letters{"Cannot delete the Logical Drive which has drive latter[s].",
                                        "ドライブ文字が割り当てられた論理ドライブは削除できません。"};
inline constexpr text data_lost{"All data on the Logical Drive will be lost.", "論理ドライブ上の全データが失われます。"};
inline constexpr text proceed_delete{"Proceed with delete?", "削除を実行しますか?"};
inline constexpr text delete_ld0{"Delete the Logical Drive(LD0)?", "論理ドライブ(LD0)を削除しますか?"};
inline constexpr text delete_failed{"Failed to delete logical drive. \r\nPlease confirm the state of HDD. ",
                                    "論理ドライブの削除に失敗しました。\r\nHDDの状態を確認してください。"};
inline constexpr text release_gbhsp{"The Logical Drive[s] of the GBHSP mode exists. \n\rRelease the allocation?",
                                    "グローバルHSモードの論理ドライブがあります。\n\r割り当てを解除しますか?"};
inline constexpr text assign_spare_failed{"Failed to assign a Global HS.\r\nPlease confirm the state of HDD. ",
                                          "グローバルHSの設定に失敗しました。\r\nHDDの状態を確認してください。"};
inline constexpr text release_spare_failed{"Failed to release the Global HS. \r\nPlease confirm the state of HDD. ",
                                           "グローバルHSの解除に失敗しました。\r\nHDDの状態を確認してください。"};
inline constexpr text delete_restorable{"Delete the Logical Drive(Restore)?", "論理ドライブ(復元)を削除しますか?"};
inline constexpr text restore_unsupported{"This configuration is not supported.  \rnTerminate to restore process.",
                                          "この構成はサポートされていません。\r\n復元処理を中止します。"};
inline constexpr text restore_as{"RLD%u is restored as LD%u. ", "RLD%uをLD%uとして復元します。"};
inline constexpr text restore_failed{"Failed in restoring. \r\nPlease confirm the state of HDD. ",
                                     "復元に失敗しました。\r\nHDDの状態を確認してください。"};
inline constexpr text rebuild_failed{"Failed to start Manual Rebild. \r\nPlease confirm the state of a logical drive.",
                                     "リビルドの開始に失敗しました。\r\n論理ドライブの状態を確認してください。"};
inline constexpr text check_failed{"Failed to start Check Consistency.\r\nPlease confirm the state of a logical drive.",
                                   "整合性チェックの開始に失敗しました。\r\n論理ドライブの状態を確認してください。"};
inline constexpr text parity_failed{"Failed to start Make Parity. \r\nPlease confirm the state of a logical drive.",
                                    "パリティ作成の開始に失敗しました。\r\n論理ドライブの状態を確認してください。"};
inline constexpr text stop_check_failed{"Failed to stop Check Consistency.\r\nPlease confirm whether to have already "
                                        "ended. ",
                                        "整合性チェックの停止に失敗しました。\r\n既に終了していないか確認してください。"};
inline constexpr text stop_parity_failed{"Failed to stop Make Parity. \r\nPlease confirm whether to have already ended. ",
                                         "パリティ作成の停止に失敗しました。\r\n既に終了していないか確認してください。"};
inline constexpr text auto_stop_failed{"Failed to stop the operation.", "処理の停止に失敗しました。"};
inline constexpr text auto_stopped{"Stopped(Check Consistency, Make Parity). \r\nBecause error count exceeded 100.",
                                   "整合性チェック/パリティ作成を停止しました。\r\nエラー数が100を超えました。"};
inline constexpr text already_finished{"Already finished(Check Consistency, Make Parity).",
                                       "整合性チェック/パリティ作成は既に終了しています。"};

// ---- Information dialogs and settings -------------------------------------
inline constexpr text bad_spot_failed{"Failed to get Bad Spot Information.", "バッドスポット情報の取得に失敗しました。"};
inline constexpr text rebuild_priority_failed{"Failed to set Rebuild Priority.", "リビルド優先度の設定に失敗しました。"};
inline constexpr text patrol_failed{"Failed to set HDD Patrol Period.", "HDDパトロール周期の設定に失敗しました。"};
inline constexpr text read_cache_failed{"Failed to set Read Cache Mode. ", "リードキャッシュの設定に失敗しました。"};
inline constexpr text write_cache_failed{"Failed to set Write Cache Mode. ", "ライトキャッシュの設定に失敗しました。"};
inline constexpr text auto_rebuild_failed{"Failed to set Auto Rebuild Mode. ", "オートリビルドの設定に失敗しました。"};
// Adapter dialog lines that only have a Japanese original.
inline constexpr text processor_revision_line{"Processor Revision\t%02x%02x%02x%02x\r\n",
                                              "プロセッサリビジョン\t\t%02x%02x%02x%02x\r\n"};
inline constexpr text sas_address_label{"SAS Address\t\t", "SASアドレス\t\t"};
inline constexpr text boot_revision_line{"Boot Firmware Revision\t%s\r\n", "ブートファームウェアリビジョン\t%s\r\n"};
inline constexpr text discard_adapter{"The settings were changed.\r\nDiscard them and close the adapter information?",
                                      "設定が変更されています。\r\n変更を破棄してアダプタ情報を閉じますか?"};
inline constexpr text discard_ld{"The settings were changed.\r\nDiscard them and close the logical drive information?",
                                 "設定が変更されています。\r\n変更を破棄して論理ドライブ情報を閉じますか?"};

// ---- Firmware update -----------------------------------------------------
inline constexpr text select_update_file{"Select the update file", "アップデートファイルの選択"};
inline constexpr text image_not_found{"The update file was not found.\r\nPlease correct its path.",
                                      "アップデートファイルが見つかりません。\r\nパスを修正してください。"};
inline constexpr text image_read_failed{"Reading the update file failed.\r\nThe firmware update failed.",
                                        "アップデートファイルの読み込みに失敗しました。\r\nアップデートに失敗しました。"};
inline constexpr text not_update_image{"The file is not an update image.", "アップデートファイルではありません。"};
inline constexpr text image_broken{"The update file may be broken.", "アップデートファイルが壊れている可能性があります。"};
inline constexpr text image_older{"The update file is an older revision.\r\nThe update cannot be executed.",
                                  "アップデートファイルのリビジョンが古いため、\r\nアップデートを実行できません。"};
inline constexpr text adapter_handle_failed{"Failed to get the adapter handle.", "アダプタハンドルの取得に失敗しました。"};
inline constexpr text update_api_failed{"A Windows API error made the firmware update fail.(code=0x%X)",
                                        "Windows APIエラーのためアップデートに失敗しました。(code=0x%X)"};
inline constexpr text update_io_failed{"An I/O device error made the firmware update fail.",
                                       "I/Oデバイスエラーのためアップデートに失敗しました。"};
inline constexpr text update_done{"The firmware update has finished.\r\nThe new firmware takes effect after the system "
                                  "restarts.",
                                  "ファームウェアのアップデートが終了しました。\r\n新しいファームウェアはシステムの"
                                  "再起動後に有効になります。"};

// ---- Debug log entries of the timer and power events ----------------------
inline constexpr text log_timer_ignored{"Timer ignored while suspending", "サスペンド中のためタイマーを無視しました"};
inline constexpr text log_suspend_query{"Suspend requested", "サスペンド要求"};
inline constexpr text log_suspend_failed{"Suspend request cancelled", "サスペンド要求キャンセル"};
inline constexpr text log_suspend{"Suspending", "サスペンド"};
inline constexpr text log_resume{"Resumed", "レジューム"};

} // namespace texts
} // namespace gui

#endif
