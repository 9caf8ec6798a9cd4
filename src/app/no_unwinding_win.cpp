// The 32-bit programs without the C++ runtime's exception machinery. Nothing
// in them throws: every failure the runtime would throw ends the program at once
// (src/app/no_exceptions_win.cpp), and so does running out of memory here.
// What would catch an exception or unwind the stack is then never called,
// but the runtime's string routines name it for their clean-ups, and would
// bring in the unwinder and, for it, a thread library: a sixth of the
// program. Those entry points end the program too.
#include <unwind.h>

#include <cstdlib>
#include <new>

namespace {

void* Allocate(std::size_t size) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrEnd(std::size_t size) noexcept {
  void* const block = Allocate(size);
  if (block == nullptr) {
    std::abort();
  }
  return block;
}

} // namespace

void* operator new(std::size_t size) {
  return AllocateOrEnd(size);
}

void* operator new[](std::size_t size) {
  return AllocateOrEnd(size);
}

// Asked for by routines that do without the memory when there is none (a
// sort's scratch space).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}

void operator delete(void* block) noexcept {
  std::free(block);
}

void operator delete[](void* block) noexcept {
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}

extern "C" {

_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class,
                                         _Unwind_Exception*, _Unwind_Context*) {
  std::abort();
}

void _Unwind_Resume(_Unwind_Exception*) {
  std::abort();
}

void* __cxa_begin_catch(void*) noexcept {
  std::abort();
}

void __cxa_end_catch() {
  std::abort();
}

void __cxa_rethrow() {
  std::abort();
}

} // extern "C"
