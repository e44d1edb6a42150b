// Library entry for the hosted build. A shared object gets no notice when a
// thread starts or ends, so a thread attaches on its first call into the
// library and detaches when it ends (a thread-local guard); load and unload
// are the shared object's static constructor and destructor.
#include "export_support.h"
#include "library_lifetime.h"

namespace zan {
namespace {

struct thread_attachment {
    thread_attachment() { on_thread_attach(); }
    ~thread_attachment() { on_thread_detach(); }
};

struct library_load {
    library_load() { on_process_attach(); }
    ~library_load() { (void)on_process_detach(); }
};

const library_load g_library_load;

} // namespace

void attach_calling_thread()
{
    thread_local const thread_attachment attachment;
    (void)attachment;
}

} // namespace zan
