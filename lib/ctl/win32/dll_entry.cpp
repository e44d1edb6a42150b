// Library entry for Windows: the loader tells the library when it is loaded
// and unloaded and when threads start and end.
#include <windows.h>

#include "export_support.h"
#include "library_lifetime.h"

namespace zan {

// Every thread is attached by the loader's notices.
void attach_calling_thread() {}

} // namespace zan

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        zan::on_process_attach();
        return TRUE;
    case DLL_THREAD_ATTACH:
        zan::on_thread_attach();
        return TRUE;
    case DLL_THREAD_DETACH:
        zan::on_thread_detach();
        return TRUE;
    case DLL_PROCESS_DETACH:
        return zan::on_process_detach() ? TRUE : FALSE;
    default:
        return TRUE;
    }
}
