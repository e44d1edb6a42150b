#include "driver.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <plat/console.h>
#include <plat/sync.h>

#include "console_ui.h"
#include "firmware.h"
#include "info_text.h"
#include "operations.h"
#include "pages.h"
#include "session.h"
#include "settings.h"

namespace gui {

namespace {

const char usage[] =
    "usage: zanutil STEP...\n"
    "steps, run in order in one main window:\n"
    "  show                      print the current page\n"
    "  page N|NAME               switch tab (view, create, delete, spares, restore, maintain)\n"
    "  controller N              choose a controller on \"View Configuration\"\n"
    "  click ROW                 click a row of the page's selecting list (-1: beside the rows)\n"
    "  level N                   choose entry N of the RAID level box\n"
    "  cache on|off on|off       tick or clear \"Read Cache ON\" and \"Write Cache ON\"\n"
    "  press BUTTON              press a button by its text or index\n"
    "  popup ROW                 print the drive menu of a drive row\n"
    "  menu ROW COMMAND          drive menu: info, update, good, failed, led-on, led-off\n"
    "  ldmenu ROW COMMAND        logical-drive menu: info, update\n"
    "  answers yes,no,...        answers to the next questions (yes when none is left)\n"
    "  tick                      the 30 s timer\n"
    "  suspend | resume          power notices\n"
    "  adapter-set I B P         adapter dialog: rebuild priorities and patrol period (1-3), SET\n"
    "  ld-set ROW R W A          logical-drive dialog: read cache, write cache, auto rebuild (0/1), SET\n"
    "  firmware PATH             adapter dialog: update the firmware from an image file\n";

const char* const page_words[page_count] = {"view", "create", "delete", "spares", "restore", "maintain"};

struct main_window {
    explicit main_window(session& owner) : s(owner) {}

    session& s;
    std::array<page_state, page_count> pages{page_state(page_id::view),   page_state(page_id::create),
                                             page_state(page_id::remove), page_state(page_id::spares),
                                             page_state(page_id::restore), page_state(page_id::maintain)};
    int shown = 0;
    bool timer_runs = true;

    page_state& page() { return pages[static_cast<std::size_t>(shown)]; }
};

void say(const std::string& text)
{
    plat::console_write(text);
}

void print_list(const char* title, const column* columns, std::size_t count, const std::vector<row>& rows,
                int selected)
{
    std::string text = std::string("-- ") + title + " --\n ";
    for (std::size_t i = 0; i < count; ++i) text += std::string(i ? " | " : " ") + columns[i].title;
    text += "\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        text += static_cast<int>(r) == selected ? ">" : " ";
        for (std::size_t i = 0; i < rows[r].size(); ++i) text += (i ? " | " : " ") + rows[r][i];
        text += "\n";
    }
    say(text);
}

template <std::size_t N>
void print_list(const char* title, const column (&columns)[N], const std::vector<row>& rows, int selected)
{
    print_list(title, columns, N, rows, selected);
}

void print_page(main_window& w)
{
    session& s = w.s;
    page_state& p = w.page();
    const int selected = p.selected;
    say("== " + std::string(s.tr(texts::page_names[w.shown])) + " ==\n");
    switch (p.id) {
    case page_id::view:
        for (int i = 0; i < static_cast<int>(s.controllers.size()); ++i)
            say(std::string(i == s.current ? "* " : "  ") + controller_box_text(s, i) + "\n");
        print_list("Logical Drives", ld_columns, p.ld_rows, -1);
        print_list("Physical Drives", hdd_columns, p.hdd_rows, selected);
        break;
    case page_id::create: {
        say(plain_lines(p.info_text) + "\n");
        std::string levels = "RAID level:";
        for (std::size_t i = 0; i < p.levels.size(); ++i)
            levels += (static_cast<int>(i) == p.level ? " [" : " ") + p.levels[i] + (static_cast<int>(i) == p.level ? "]" : "");
        say(levels + (p.levels_enabled ? "" : " (disabled)") + "\n");
        say("Number of Selected HDDs: " + std::to_string(p.marks.members.size()) + "\n");
        say(std::string("Read Cache ON: ") + (p.read_cache_on ? "ticked" : "clear") +
            (p.read_cache_enabled ? "" : " (disabled)") + ", Write Cache ON: " + (p.write_cache_on ? "ticked" : "clear") +
            (p.write_cache_enabled ? "" : " (disabled)") + "\n");
        print_list("Physical Drives", hdd_columns, p.hdd_rows, selected);
        break;
    }
    case page_id::remove:
        print_list("Logical Drives", ld_columns, p.ld_rows, selected);
        break;
    case page_id::spares:
        print_list("Global HS", spare_columns, p.spare_rows, -1);
        print_list("Physical Drives", hdd_columns, p.hdd_rows, selected);
        break;
    case page_id::restore:
        print_list("Logical Drives(Restore)", restore_columns, p.restore_rows, selected);
        print_list("Physical Drives", hdd_columns, p.hdd_rows, -1);
        break;
    case page_id::maintain:
        print_list("Logical Drives", task_columns, p.task_rows, selected);
        break;
    }
    std::string line = "buttons:";
    const std::vector<const char*> names = page_buttons(p.id);
    for (std::size_t i = 0; i < names.size(); ++i)
        line += std::string(" [") + names[i] + (p.buttons[i] ? "]" : " (disabled)]");
    say(line + "\n");
}

void print_dialog(session& s, const text& title, const std::string& body)
{
    say("--- " + std::string(s.tr(title)) + " ---\n" + plain_lines(body) + "\n");
}

bool next_answer(console_ui& ui)
{
    if (ui.answers.empty()) return true;
    const bool yes = ui.answers.front();
    ui.answers.pop_front();
    return yes;
}

void open_dialog(main_window& w, console_ui& ui, const dialog_request& request)
{
    session& s = w.s;
    switch (request.kind) {
    case dialog_kind::adapter_info:
        if (const std::optional<info_dialog> d = adapter_dialog(s)) print_dialog(s, texts::adapter_info_title, d->text);
        break;
    case dialog_kind::ld_info:
        if (const std::optional<info_dialog> d = ld_dialog(s, request.number)) print_dialog(s, texts::ld_info_title, d->text);
        break;
    case dialog_kind::rld_info:
        if (const std::optional<info_dialog> d = restorable_dialog(s, request.number))
            print_dialog(s, texts::rld_info_title, d->text);
        break;
    case dialog_kind::hdd_info:
        if (const std::optional<std::string> d = hdd_dialog(s, request.number)) print_dialog(s, texts::hdd_info_title, *d);
        break;
    case dialog_kind::raid_info: {
        print_dialog(s, setup_title(w.page().setup), setup_text(w.page().setup));
        const bool ok = next_answer(ui);
        say(ok ? "-> OK\n" : "-> closed\n");
        close_setup(s, w.page(), ok);
        break;
    }
    case dialog_kind::none:
        break;
    }
}

int page_of(const char* word)
{
    for (int i = 0; i < page_count; ++i) {
        if (std::strcmp(word, page_words[i]) == 0) return i;
    }
    const int number = std::atoi(word);
    return word[0] >= '0' && word[0] <= '5' && word[1] == '\0' ? number : -1;
}

int button_of(const page_state& p, const char* word)
{
    const std::vector<const char*> names = page_buttons(p.id);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::strcmp(word, names[i]) == 0) return static_cast<int>(i);
    }
    return word[0] >= '0' && word[0] <= '3' && word[1] == '\0' ? word[0] - '0' : -1;
}

bool menu_of(const char* word, menu_command& command)
{
    static const struct {
        const char* word;
        menu_command command;
    } words[] = {{"info", menu_command::hdd_info},  {"update", menu_command::hdd_reload}, {"good", menu_command::hdd_good},
                 {"failed", menu_command::hdd_fail}, {"led-on", menu_command::led_on},    {"led-off", menu_command::led_off}};
    for (const auto& entry : words) {
        if (std::strcmp(word, entry.word) == 0) {
            command = entry.command;
            return true;
        }
    }
    return false;
}

// The adapter dialog with changed boxes and "SET", then its close.
void adapter_settings_step(session& s, const setting_boxes& boxes)
{
    std::optional<info_dialog> dialog = adapter_dialog(s);
    if (!dialog) return;
    if (settings_changed(*dialog, boxes)) (void)set_adapter_settings(s, *dialog, boxes);
    (void)may_close(s, *dialog, boxes, true);
}

void ld_settings_step(main_window& w, int index, const setting_boxes& boxes)
{
    session& s = w.s;
    const dialog_request request = ld_command(s, w.page(), index, menu_command::ld_info);
    if (request.kind != dialog_kind::ld_info) return;
    std::optional<info_dialog> dialog = ld_dialog(s, request.number);
    if (!dialog) return;
    if (settings_changed(*dialog, boxes)) (void)set_ld_properties(s, request.number, *dialog, boxes);
    (void)may_close(s, *dialog, boxes, false);
}

void firmware_step(session& s, console_ui& ui, const char* path)
{
    if (!adapter_dialog(s)) return;
    firmware_update update;
    if (!check_update_image(s, update, cut_path(path))) return;
    print_dialog(s, texts::update_info_title, update_info_text(s, update));
    if (!next_answer(ui)) {
        say("-> back\n");
        cancel_update(update);
        return;
    }
    say("-> execute\n");
    if (!prepare_download(s, update)) return;
    const std::uint32_t steps = progress_steps(update.header.image_length.get());
    std::optional<message> end;
    std::thread worker([&] {
        end = run_download(s, update, [steps](std::uint32_t step) {
            say("progress " + std::to_string(step) + "/" + std::to_string(steps) + "\n");
        });
    });
    worker.join();
    if (end) s.ui.show(*end);
}

// Runs one step; false for a step it does not know.
bool run_step(main_window& w, console_ui& ui, int argc, const char* const* argv, int& at)
{
    session& s = w.s;
    const auto arg = [&](int offset) -> const char* { return at + offset < argc ? argv[at + offset] : nullptr; };
    const std::string step = argv[at];
    const auto needs = [&](int count) {
        for (int i = 1; i <= count; ++i) {
            if (arg(i) == nullptr) return false;
        }
        at += count;
        return true;
    };
    const int base = at;
    const auto word = [&](int offset) { return argv[base + offset]; };
    const auto int_at = [&](int offset) { return std::atoi(word(offset)); };

    if (step == "show") {
        print_page(w);
    } else if (step == "page" && needs(1)) {
        const int selected = page_of(word(1));
        if (selected < 0) return false;
        if (tab_changes_page(w.shown, selected)) {
            w.shown = selected;
            refresh_page(s, w.page(), refresh_plain);
        }
    } else if (step == "controller" && needs(1)) {
        if (w.shown == 0 && select_controller(s, int_at(1))) refresh_page(s, w.page(), refresh_plain);
    } else if (step == "click" && needs(1)) {
        click_row(s, w.page(), int_at(1));
    } else if (step == "level" && needs(1)) {
        choose_level(s, w.page(), int_at(1));
    } else if (step == "cache" && needs(2)) {
        set_cache_boxes(w.page(), std::strcmp(word(1), "on") == 0, std::strcmp(word(2), "on") == 0);
    } else if (step == "press" && needs(1)) {
        const int button = button_of(w.page(), word(1));
        if (button < 0) return false;
        open_dialog(w, ui, press_button(s, w.page(), button));
    } else if (step == "popup" && needs(1)) {
        const drive_menu_state m = drive_menu(w.page(), int_at(1));
        const auto on = [](bool enabled) { return enabled ? "on" : "off"; };
        say(std::string("menu: Physical Drive Information=") + on(m.info) + " Update=on Force Good=" + on(m.force_good) +
            " Force Failed=" + on(m.force_failed) + " Location=" + on(m.location) + "\n");
    } else if (step == "menu" && needs(2)) {
        menu_command command{};
        if (!menu_of(word(2), command)) return false;
        open_dialog(w, ui, drive_command(s, w.page(), int_at(1), command));
    } else if (step == "ldmenu" && needs(2)) {
        const bool info = std::strcmp(word(2), "info") == 0;
        if (!info && std::strcmp(word(2), "update") != 0) return false;
        open_dialog(w, ui, ld_command(s, w.page(), int_at(1), info ? menu_command::ld_info : menu_command::ld_reload));
    } else if (step == "answers" && needs(1)) {
        std::string list = word(1);
        for (std::size_t start = 0; start <= list.size();) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            ui.answers.push_back(list.compare(start, comma - start, "yes") == 0);
            start = comma + 1;
        }
    } else if (step == "tick") {
        if (w.timer_runs && timer_tick(s) && w.page().id == page_id::maintain) refresh_page(s, w.page(), refresh_timer);
    } else if (step == "suspend") {
        w.timer_runs = power_notice(s, power_event::suspend_query);
        w.timer_runs = power_notice(s, power_event::suspend);
    } else if (step == "resume") {
        w.timer_runs = power_notice(s, power_event::resume);
    } else if (step == "adapter-set" && needs(3)) {
        adapter_settings_step(s, {int_at(1) - 1, int_at(2) - 1, int_at(3) - 1});
    } else if (step == "ld-set" && needs(4)) {
        ld_settings_step(w, int_at(1), {int_at(2), int_at(3), int_at(4)});
    } else if (step == "firmware" && needs(1)) {
        firmware_step(s, ui, word(1));
    } else {
        return false;
    }
    ++at;
    return true;
}

} // namespace

int run_driver(int argc, const char* const* argv)
{
    if (argc < 2) {
        say(usage);
        return 0;
    }
    console_ui ui;
    session s(ui, read_settings());
    plat::named_mutex instance;
    bool already = false;
    if (!instance.create("ZANUtil", true, already) || already) {
        ui.show({s.tr(texts::already_running), s.tr(texts::console_title), icon::error, buttons::ok, false});
        return 0;
    }
    open_debug_log(s);

    main_window w(s);
    if (init_controllers(s)) {
        refresh_page(s, w.page(), refresh_plain);
        for (int at = 1; at < argc && !s.fatal;) {
            if (!run_step(w, ui, argc, argv, at)) {
                say(std::string("unknown step: ") + argv[at] + "\n" + usage);
                break;
            }
        }
    }
    s.log.close();
    (void)instance.release();
    (void)finContData();
    return 1;
}

} // namespace gui
