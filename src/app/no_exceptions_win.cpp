// The Windows programs catch no exception: a failure the runtime would throw
// (memory exhausted, an index out of range) can only end them, so it ends
// them at once. Defining the runtime's throw helpers and its terminate
// handler here keeps out the exception classes, their strings and the C++
// demangler the runtime would otherwise link in for them: a third of the
// program's size, for a message printed to a console the tray program does
// not have.
#include <bits/functexcept.h>
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() {
  std::abort();
}
void __throw_bad_alloc() {
  std::abort();
}
void __throw_bad_array_new_length() {
  std::abort();
}
void __throw_bad_cast() {
  std::abort();
}
void __throw_bad_typeid() {
  std::abort();
}
void __throw_logic_error(const char*) {
  std::abort();
}
void __throw_domain_error(const char*) {
  std::abort();
}
void __throw_invalid_argument(const char*) {
  std::abort();
}
void __throw_length_error(const char*) {
  std::abort();
}
void __throw_out_of_range(const char*) {
  std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
  std::abort();
}
void __throw_runtime_error(const char*) {
  std::abort();
}
void __throw_range_error(const char*) {
  std::abort();
}
void __throw_overflow_error(const char*) {
  std::abort();
}
void __throw_underflow_error(const char*) {
  std::abort();
}
void __throw_bad_function_call() {
  std::abort();
}

} // namespace std
