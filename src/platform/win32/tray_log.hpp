// The tray call log of the test build (tray_log.cpp): one line per tray call,
// so that end-to-end tests can read back the record the shell received. The
// shipped program keeps none (tray_log_none.cpp).
#pragma once

#include <windows.h>

#include "platform/tray_record.hpp"

namespace velmora::win32 {

// Appends the call's message, its result and every field of the record sent
// to the file named by the environment variable VELMORA_TRAY_LOG; does
// nothing when it is not set, nor in the shipped program.
void LogTrayCall(DWORD message, const NotifyIconDataLayout& data, BOOL result);

} // namespace velmora::win32
