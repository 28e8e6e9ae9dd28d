// A stand-in for a program of the kit in the report's tests on Windows, where the stand-ins
// cannot be scripts: it prints one message, or fails, hangs, idles, crashes, writes without end
// or leaves a process of its own running, as its build says.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Deep enough to overflow any stack; the block keeps every call's frame.
int deeper(int depth) {
  volatile char block[4096];
  block[0] = static_cast<char>(depth);
  return deeper(depth + 1) + block[0];
}

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if defined(STAND_IN_PRINT)
  std::fputs(STAND_IN_PRINT, stdout);
#elif defined(STAND_IN_FAIL)
  std::fputs("Process duration = 700 msec", stdout);
  return STAND_IN_FAIL;
#elif defined(STAND_IN_HANG)
  Sleep(60'000);
  std::fputs("Process duration = 700 msec", stdout);
#elif defined(STAND_IN_ACCESS_VIOLATION)
  volatile int* volatile nowhere = nullptr;  // a store that no compiler may leave out
  *nowhere = 1;
#elif defined(STAND_IN_DIVISION_BY_ZERO)
  volatile int dividend = 7;  // not 1: a compiler divides 1 by x without dividing
  volatile int zero = 0;
  return dividend / zero;
#elif defined(STAND_IN_STACK_OVERFLOW)
  return deeper(0);
#elif defined(STAND_IN_ENDLESS)
  for (;;) {
    std::fputs("Process duration = 700 msec", stdout);
  }
#elif defined(STAND_IN_IDLES)
  Sleep(static_cast<DWORD>(STAND_IN_IDLES * 1000));
  std::fputs("Process duration = 700 msec", stdout);
#elif defined(STAND_IN_LEAVES_CHILD)
  // A copy of itself that holds standard output open long after this one has exited.
  if (argc > 1) {
    Sleep(60'000);
    return 0;
  }
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" child";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                 &child);
  std::fputs("Process duration = 700 msec", stdout);
#endif
  return 0;
}
