// What happens when a Windows program of Velmora must end at once (an
// exception nothing catches, a broken invariant of the runtime): it ends.
// The runtime's own handler would first print the exception's type name to a
// console the tray program does not have, and it brings the C++ demangler,
// a sixth of the program's size, with it.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

} // namespace __gnu_cxx
