// One run of the utility without its windows: settings, the ControllerView
// cache of the adapters, the current controller, the debug log, the fatal
// state and the error routine every page and dialog reports through. What
// the user must see or answer goes to the user_interface the window layer
// (or a test, or the command-line driver) supplies.
#ifndef GUI_SESSION_H
#define GUI_SESSION_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "debug_log.h"
#include "settings.h"
#include "texts.h"
#include "zandllctl.h"

namespace gui {

enum class icon { none, error, warning, information };
enum class buttons { ok, ok_cancel, yes_no };

// A message box: what it says, its caption, icon and buttons.
struct message {
    std::string text;
    std::string caption;
    icon kind = icon::error;
    buttons choice = buttons::ok;
    bool topmost = false;
};

class user_interface {
public:
    virtual ~user_interface() = default;
    virtual void show(const message& box) = 0;
    // A question; true for OK or Yes.
    [[nodiscard]] virtual bool ask(const message& box) = 0;
};

inline constexpr int max_controllers = 3;
inline constexpr std::size_t drive_letters_limit = 512;

// What the pages know of one controller.
struct controller_view {
    std::uint8_t kind = 0;  // 0 not supported, 1-3 (state_text.h)
    std::uint8_t slots = 0; // rows of every drive list
    std::array<std::string, zan::MAX_GROUPS> drive_letters;
    zan::ContInfo info{};
    zan::RaidStatus status{};
    zan::ContPara para{};
};

struct session {
    session(user_interface& ui_, const util_settings& settings_) : ui(ui_), settings(settings_) {}

    user_interface& ui;
    util_settings settings;
    debug_log log;
    std::vector<controller_view> controllers;
    int current = 0;
    bool fatal = false;      // a fatal message was shown: the main window closes
    bool suspending = false; // between the suspend and the resume notices

    [[nodiscard]] const char* tr(const text& t) const { return pick(t, settings.language); }
    [[nodiscard]] controller_view& controller() { return controllers[static_cast<std::size_t>(current)]; }
};

// "Function-call", the context of a failing library call.
[[nodiscard]] std::string context_of(std::string_view function, std::string_view call);

// A text with one printf-style unsigned argument.
[[nodiscard]] std::string format_text(const char* format, std::uint32_t value);
[[nodiscard]] std::string format_text(const char* format, std::uint32_t first, std::uint32_t second);

// The fatal error: logs the context, and unless a fatal message was shown
// already, shows `text` (caption "RAID Management Console") and closes the
// main window.
void fatal_error(session& s, std::string_view context, const std::string& body);

// The reported error after a failed library call: logs the context, then
// decides by the library's error flags whether the failure is fatal or the
// given message is shown and the program goes on.
void report_error(session& s, std::string_view context, const text& failure, const text& caption);

// The adapter-access failure of an information call.
void report_access_error(session& s, std::string_view context);

// A message shown directly, without the error routine.
void show_message(session& s, const std::string& body, const text& caption, icon kind);
[[nodiscard]] bool ask_question(session& s, const std::string& body, const text& caption, icon kind,
                                buttons choice = buttons::ok_cancel);

// Start-up before the main window: the debug log when the level asks for
// one (failure shows "Failed to create log file." and turns the level to 0).
void open_debug_log(session& s, const char* path = debug_log_path);

// Controller initialisation (InitQvmCont): the library, the controller count
// cut to 3, each controller's information, state and kind. False when the
// main window closes.
[[nodiscard]] bool init_controllers(session& s);

// Re-reads the current controller's RaidStatus; the failure is reported
// with `function` as context. False on failure.
[[nodiscard]] bool refresh_status(session& s, std::string_view function);

// The controller box text of controller `index`: model name and "(adapter%u)".
[[nodiscard]] std::string controller_box_text(const session& s, int index);

// Choosing another controller on "View Configuration": an unsupported one
// is refused with a message. True when it became current.
[[nodiscard]] bool select_controller(session& s, int index);

// The 30 s timer and the power notices. A tick answers whether the current
// page ("Maintain Logical Drive") is to refresh; the notices answer whether
// the timer runs from now on.
[[nodiscard]] bool timer_tick(session& s);
enum class power_event { suspend_query, suspend_failed, suspend, resume };
[[nodiscard]] bool power_notice(session& s, power_event event);

} // namespace gui

#endif
