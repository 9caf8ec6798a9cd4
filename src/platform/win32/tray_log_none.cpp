// The shipped program's tray call log: it keeps none.
#include "platform/win32/tray_log.hpp"

namespace velmora::win32 {

void LogTrayCall(DWORD, const NotifyIconDataLayout&, BOOL) {}

} // namespace velmora::win32
