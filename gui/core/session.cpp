#include "session.h"

#include <cstdio>

#include <plat/error.h>

#include "state_text.h"

namespace gui {

namespace {

// Adapter-access failures of these operations keep their own message: the
// drive, not the adapter, is the likely cause.
bool keeps_message_on_access_error(const text& failure)
{
    return &failure == &texts::release_spare_failed || &failure == &texts::assign_spare_failed ||
           &failure == &texts::hdd_state_failed;
}

inline constexpr std::uint32_t internal_flags =
    zan::DLL_ERROR_ARGUMENT | zan::DLL_ERROR_GROUP_NOT_DEFINED | zan::DLL_ERROR_INTERNAL;

} // namespace

std::string context_of(std::string_view function, std::string_view call)
{
    std::string context(function);
    context += '-';
    context.append(call);
    return context;
}

std::string format_text(const char* format, std::uint32_t value)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string format_text(const char* format, std::uint32_t first, std::uint32_t second)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, first, second);
    return buffer;
}

void fatal_error(session& s, std::string_view context, const std::string& body)
{
    s.log.entry(log_level_error, s.settings.debug_level, context);
    if (s.fatal) return;
    s.fatal = true;
    s.ui.show({body, s.tr(texts::console_title), icon::error, buttons::ok, true});
}

void report_error(session& s, std::string_view context, const text& failure, const text& caption)
{
    // Read first: the log entry must not disturb the thread's errors.
    const std::uint32_t windows_error = plat::last_error();
    const std::uint32_t flags = DLLGetLastError();
    s.log.entry(log_level_error, s.settings.debug_level, context);
    if (s.fatal) return;

    if (flags & zan::DLL_ERROR_SYSTEM) {
        fatal_error(s, context, format_text(s.tr(texts::windows_api_error), windows_error));
    } else if (flags & internal_flags) {
        fatal_error(s, context, format_text(s.tr(texts::internal_error), flags));
    } else if ((flags & zan::DLL_ERROR_DRIVER_FAILURE) && !keeps_message_on_access_error(failure)) {
        fatal_error(s, context, s.tr(texts::adapter_access));
    } else if (flags & zan::DLL_ERROR_IOCTL_BUSY) {
        fatal_error(s, context, s.tr(texts::conflict));
    } else {
        s.ui.show({s.tr(failure), s.tr(caption), icon::error, buttons::ok, false});
    }
}

void report_access_error(session& s, std::string_view context)
{
    report_error(s, context, texts::adapter_access, texts::console_title);
}

void show_message(session& s, const std::string& body, const text& caption, icon kind)
{
    s.ui.show({body, s.tr(caption), kind, buttons::ok, false});
}

bool ask_question(session& s, const std::string& body, const text& caption, icon kind, buttons choice)
{
    return s.ui.ask({body, s.tr(caption), kind, choice, false});
}

void open_debug_log(session& s, const char* path)
{
    if (s.settings.debug_level == 0) return;
    if (!s.log.open(path)) {
        s.ui.show({s.tr(texts::log_create_failed), s.tr(texts::console_title), icon::error, buttons::ok, false});
        s.settings.debug_level = 0;
    }
}

bool init_controllers(session& s)
{
    if (s.settings.debug_level != 0) {
        (void)DebugOn("c:\\raidctl.log");
        (void)DLLSetDebugLevel(s.settings.debug_level);
    }
    if (!initContData(0)) {
        if (DLLGetLastError() & zan::DLL_ERROR_IOCTL_BUSY) {
            s.log.entry(log_level_error, s.settings.debug_level, "InitQvmCont-initContData");
            s.fatal = true;
            s.ui.show({s.tr(texts::conflict), s.tr(texts::console_title), icon::error, buttons::ok, true});
        } else {
            fatal_error(s, "InitQvmCont-initContData", s.tr(texts::init_failed));
        }
        return false;
    }
    std::uint8_t count = 0;
    if (!getContNum(&count)) count = 0;
    if (count > max_controllers) count = max_controllers;
    if (count == 0) {
        fatal_error(s, "InitQvmCont-ucContNum", s.tr(texts::adapter_not_found));
        return false;
    }
    s.controllers.assign(count, controller_view{});
    bool supported = false;
    for (int index = 0; index < count; ++index) {
        controller_view& view = s.controllers[static_cast<std::size_t>(index)];
        if (!getContInfo(index, &view.info)) {
            report_access_error(s, "InitQvmCont-getContInfo");
            return false;
        }
        if (!getRaidStatus(index, &view.status)) {
            report_access_error(s, "InitQvmCont-getRaidStatus");
            return false;
        }
        view.kind = adapter_kind(view.info);
        view.slots = slot_count(view.kind);
        supported = supported || view.kind != 0;
    }
    if (!supported) {
        fatal_error(s, "InitQvmCont-support_cont == 0", s.tr(texts::adapter_not_supported));
        return false;
    }
    s.current = 0;
    return !s.fatal;
}

bool refresh_status(session& s, std::string_view function)
{
    if (getRaidStatus(s.current, &s.controller().status)) return true;
    report_access_error(s, context_of(function, "getRaidStatus"));
    return false;
}

std::string controller_box_text(const session& s, int index)
{
    const controller_view& view = s.controllers[static_cast<std::size_t>(index)];
    return std::string(view.info.model_name, sizeof view.info.model_name) + format_text("(adapter%u)", index);
}

bool select_controller(session& s, int index)
{
    if (index < 0 || index >= static_cast<int>(s.controllers.size())) return false;
    if (s.controllers[static_cast<std::size_t>(index)].kind == 0) {
        show_message(s, s.tr(texts::adapter_not_supported), texts::page_names[0], icon::error);
        return false;
    }
    s.current = index;
    return true;
}

bool timer_tick(session& s)
{
    if (s.suspending) {
        s.log.entry(log_level_event, s.settings.debug_level, s.tr(texts::log_timer_ignored));
        return false;
    }
    return true;
}

bool power_notice(session& s, power_event event)
{
    struct notice {
        const text& entry;
        bool timer_runs;
    };
    static const notice notices[] = {
        {texts::log_suspend_query, false},
        {texts::log_suspend_failed, true},
        {texts::log_suspend, false},
        {texts::log_resume, true},
    };
    const notice& n = notices[static_cast<int>(event)];
    s.log.entry(log_level_event, s.settings.debug_level, s.tr(n.entry));
    if (event == power_event::suspend) s.suspending = true;
    if (event == power_event::resume) s.suspending = false;
    return n.timer_runs;
}

} // namespace gui
