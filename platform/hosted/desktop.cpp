// The hosted desktop: a box is recorded in the root (desktop_store.h), where
// zansim desktop lists it, and answered with OK at once; nobody sits at the
// simulated machine to close it.
#include "plat/desktop.h"

#include "desktop_store.h"
#include "plat/error.h"
#include "sim/root.h"
#include "win_error.h"

namespace plat {

std::int32_t message_box(const char* text, const char* caption, std::uint32_t style)
{
    hosted::desktop_box box;
    box.style = style;
    box.caption = caption == nullptr ? "Error" : caption;
    box.text = text == nullptr ? "" : text;
    if (const int error = hosted::append_box(sim::root_dir(), box); error != 0) {
        set_last_error(hosted::error_from_errno(error));
        return 0;
    }
    return BOX_ANSWER_OK;
}

} // namespace plat
