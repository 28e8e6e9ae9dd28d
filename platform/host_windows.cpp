// The report's host layer on Windows: CreateProcessW in a job object, pipes read while the
// program runs, the console, MoveFileExW.
#include <windows.h>
// shellapi.h needs the types of windows.h before it.
#include <shellapi.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/host.h"

const char* const NULL_DEVICE = "NUL";

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                      nullptr, nullptr);
  return out;
}

// One word of a command line, quoted as the C runtime's parser reads it back: backslashes
// doubled before a quote, quotes escaped.
std::wstring quoted(const std::wstring& word) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

// The job of the running program: closing it, or the report's end, stops the program and
// everything it started.
std::atomic<HANDLE> running_job{nullptr};

struct Temporary {
  std::atomic<bool> in_use{false};
  std::array<wchar_t, 32768> path{};
};
std::array<Temporary, 4> temporaries;

void remove_temporaries() noexcept {
  for (Temporary& temporary : temporaries) {
    if (temporary.in_use.exchange(false)) {
      DeleteFileW(temporary.path.data());
    }
  }
}

BOOL WINAPI stop_everything(DWORD /*event*/) {
  if (const HANDLE job = running_job.load()) {
    TerminateJobObject(job, 1);
  }
  remove_temporaries();
  return FALSE;  // and the default: the report ends
}

// The error of a failed call as errno would name it, so that the words match the POSIX side.
int errno_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_BAD_EXE_FORMAT: return ENOEXEC;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

// Reads what the pipe holds now, without waiting, keeping at most kept bytes of the output
// and counting the rest; false at its end.
bool read_available(HANDLE pipe, ProgramRun& run, std::size_t kept) {
  DWORD available = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
    return false;  // the writing end is closed and all was read
  }
  while (available > 0) {
    std::array<char, 65536> buffer{};
    DWORD got = 0;
    if (!ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got == 0) {
      return false;
    }
    const std::size_t room = run.out.size() < kept ? kept - run.out.size() : 0;
    const std::size_t taken = room < got ? room : got;
    run.out.append(buffer.data(), taken);
    run.dropped += got - taken;
    available = available > got ? available - got : 0;
  }
  return true;
}

// The moment given to a program's output once it has exited: what it wrote is in the pipe
// already, but something it started may go on writing into it without end.
constexpr auto DRAIN_AFTER_EXIT = std::chrono::milliseconds(200);

struct Launch {
  std::wstring application;  // "" to search PATH for the first word of the command line
  std::wstring command_line;
  HANDLE stdin_handle;
  bool merge_stderr;
};

ProgramRun run_child(const Launch& launch, std::string_view input, std::chrono::seconds limit,
                     std::size_t kept) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out_read = nullptr;
  HANDLE out_write = nullptr;
  if (!CreatePipe(&out_read, &out_write, &inheritable, 0)) {
    run.code = static_cast<unsigned long>(errno_of(GetLastError()));
    return run;
  }
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  HANDLE in_read = launch.stdin_handle;
  HANDLE in_write = nullptr;
  if (in_read == nullptr && CreatePipe(&in_read, &in_write, &inheritable, 0)) {
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  startup.hStdError = launch.merge_stderr ? out_write : GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring command_line = launch.command_line;
  const BOOL started = CreateProcessW(
      launch.application.empty() ? nullptr : launch.application.c_str(), command_line.data(),
      nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
  const DWORD start_error = GetLastError();
  CloseHandle(out_write);
  if (in_read != launch.stdin_handle) {
    CloseHandle(in_read);
  }
  if (!started) {
    CloseHandle(out_read);
    if (in_write != nullptr) {
      CloseHandle(in_write);
    }
    run.code = static_cast<unsigned long>(errno_of(start_error));
    return run;
  }
  // A job that kills its processes when its last handle closes, also when the report is
  // ended outright; where jobs cannot be nested, the program runs without one.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job != nullptr &&
      (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
       !AssignProcessToJobObject(job, process.hProcess))) {
    CloseHandle(job);
    job = nullptr;
  }
  running_job.store(job);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  if (in_write != nullptr) {
    DWORD written = 0;
    WriteFile(in_write, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    CloseHandle(in_write);
  }

  const Clock::time_point deadline = Clock::now() + limit;
  bool open = true;
  bool finished = false;
  while (Clock::now() < deadline) {
    open = open && read_available(out_read, run, kept);
    if (WaitForSingleObject(process.hProcess, open ? 5 : 50) == WAIT_OBJECT_0) {
      const Clock::time_point drained = Clock::now() + DRAIN_AFTER_EXIT;
      while (open && Clock::now() < drained) {
        DWORD available = 0;
        open = read_available(out_read, run, kept) &&
               PeekNamedPipe(out_read, nullptr, 0, nullptr, &available, nullptr) && available > 0;
      }
      finished = true;
      break;
    }
  }
  if (!finished) {
    if (job != nullptr) {
      TerminateJobObject(job, 1);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    run.end = ProgramRun::End::timed_out;
  } else {
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    // An NTSTATUS of the error kind (0xC...) is the exception that ended the program.
    run.end = status >= 0xC0000000U ? ProgramRun::End::killed : ProgramRun::End::exited;
    run.code = status;
  }
  running_job.store(nullptr);
  if (job != nullptr) {
    CloseHandle(job);
  }
  CloseHandle(out_read);
  CloseHandle(process.hProcess);
  return run;
}

}  // namespace

ProgramRun run_captured(const std::string& path, std::chrono::seconds limit,
                        const std::string& stdin_path) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE in =
      CreateFileW(wide(stdin_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    ProgramRun run;
    run.code = static_cast<unsigned long>(errno_of(GetLastError()));
    return run;
  }
  const std::wstring program = fs::path(std::u8string(path.begin(), path.end())).wstring();
  const ProgramRun run =
      run_child({program, quoted(program), in, false}, {}, limit, PROGRAM_OUTPUT_KEPT);
  CloseHandle(in);
  return run;
}

ProgramRun run_tool(const std::vector<std::string>& command, std::string_view input,
                    std::chrono::seconds limit) {
  std::wstring command_line;
  for (const std::string& word : command) {
    command_line += (command_line.empty() ? L"" : L" ") + quoted(wide(word));
  }
  return run_child({L"", command_line, nullptr, true}, input, limit, TOOL_OUTPUT_KEPT);
}

std::string tool_path(const std::string& name) {
  std::array<wchar_t, 32768> found{};
  const DWORD length = SearchPathW(nullptr, wide(name).c_str(), L".exe",
                                   static_cast<DWORD>(found.size()), found.data(), nullptr);
  return length > 0 && length < found.size() ? utf8(found.data()) : "";
}

std::optional<std::string> why_not_replaceable(const std::string& path) {
  const std::wstring file = wide(path);
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return std::nullopt;  // a new file: its folder answers when the temporary is made
  }
  // Opened for writing and closed at once, nothing changed: the system's own answer, by the
  // file's access list, for this user.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
      return std::string("this user may not write it (") + std::strerror(errno_of(error)) + ")";
    }
    return std::nullopt;  // in use, say: the write itself will tell
  }
  CloseHandle(handle);
  return std::nullopt;
}

std::string describe_end(const ProgramRun& run, std::chrono::seconds limit) {
  switch (run.end) {
    case ProgramRun::End::exited: return "exit status " + std::to_string(run.code);
    case ProgramRun::End::killed: {
      struct Named {
        unsigned long code;
        const char* name;
      };
      static constexpr Named EXCEPTIONS[] = {
          {0xC0000005, "access violation"}, {0xC0000094, "integer division by zero"},
          {0xC00000FD, "stack overflow"},   {0xC000001D, "illegal instruction"},
          {0xC0000095, "integer overflow"}, {0xC0000409, "stack buffer overrun"},
          {0xC000013A, "ended by Ctrl+C"},
      };
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lX", run.code);
      for (const Named& exception : EXCEPTIONS) {
        if (exception.code == run.code) {
          return std::string("crashed: ") + exception.name + " (" + code + ")";
        }
      }
      return std::string("crashed: exception ") + code;
    }
    case ProgramRun::End::timed_out:
      return "still running after " + std::to_string(limit.count()) + " s, stopped";
    case ProgramRun::End::not_started: break;
  }
  return std::string("could not be started: ") + std::strerror(static_cast<int>(run.code));
}

std::optional<std::string> why_not_a_program(const std::string& path) {
  const std::wstring name = fs::path(std::u8string(path.begin(), path.end())).wstring();
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return std::strerror(errno_of(GetLastError()));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return "is a directory";
  }
  // CreateProcess starts executables, which begin with "MZ".
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::strerror(errno_of(GetLastError()));
  }
  char head[2] = {};
  DWORD got = 0;
  ReadFile(file, head, sizeof head, &got, nullptr);
  CloseHandle(file);
  if (got == 2 && head[0] == 'M' && head[1] == 'Z') {
    return std::nullopt;
  }
  return "is not a program: no executable header";
}

std::string own_program() {
  std::wstring name(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  if (length == 0 || length >= name.size()) {
    return "";
  }
  name.resize(length);
  const std::u8string program = fs::path(name).u8string();
  return std::string(program.begin(), program.end());
}

std::string own_folder() {
  const std::string program = own_program();
  const std::u8string folder =
      fs::path(std::u8string(program.begin(), program.end())).parent_path().u8string();
  return std::string(folder.begin(), folder.end());
}

std::optional<std::string> standard_stream_at(const std::string& path) {
  const HANDLE file =
      CreateFileW(fs::path(std::u8string(path.begin(), path.end())).c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION wanted{};
  const bool known = GetFileInformationByHandle(file, &wanted) != 0;
  CloseHandle(file);
  for (const auto& [handle, name] : {std::pair{STD_OUTPUT_HANDLE, "standard output"},
                                     std::pair{STD_ERROR_HANDLE, "standard error"}}) {
    const HANDLE stream = GetStdHandle(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (known && stream != nullptr && stream != INVALID_HANDLE_VALUE &&
        GetFileType(stream) == FILE_TYPE_DISK && GetFileInformationByHandle(stream, &info) != 0 &&
        info.dwVolumeSerialNumber == wanted.dwVolumeSerialNumber &&
        info.nFileIndexHigh == wanted.nFileIndexHigh &&
        info.nFileIndexLow == wanted.nFileIndexLow) {
      return std::string(name);
    }
  }
  return std::nullopt;
}

std::vector<std::string> command_line(int /*argc*/, char** /*argv*/) {
  // The wide command line, for names in any script; argv holds them in the ANSI code page.
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) {
    arguments.push_back(utf8(words[i]));
  }
  LocalFree(words);
  return arguments;
}

bool is_terminal(std::FILE* stream) {
  // A console that understands the escape sequences which redraw a line (Windows 10 on).
  const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0 &&
         SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::size_t terminal_width(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  const HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (GetConsoleScreenBufferInfo(handle, &info) != 0) {
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    if (width >= 20) {
      return static_cast<std::size_t>(width);
    }
  }
  return 80;
}

std::optional<ReplacedFile> begin_replacing(const std::string& path, std::string& error) {
  std::error_code failure;
  const fs::path target = fs::weakly_canonical(
      fs::absolute(fs::path(std::u8string(path.begin(), path.end())), failure), failure);
  if (failure) {
    error = failure.message();
    return std::nullopt;
  }
  std::array<wchar_t, MAX_PATH + 1> temporary{};
  // Makes a new, empty file of a unique name in the folder: proof that it takes new files.
  if (GetTempFileNameW(target.parent_path().wstring().c_str(), L"gcd", 0, temporary.data()) == 0) {
    const std::u8string folder = target.parent_path().u8string();
    error = "cannot make a file in its folder " + std::string(folder.begin(), folder.end()) + " (" +
            std::strerror(errno_of(GetLastError())) + ")";
    return std::nullopt;
  }
  for (Temporary& slot : temporaries) {
    if (!slot.in_use.load()) {
      std::wcscpy(slot.path.data(), temporary.data());
      slot.in_use.store(true);
      break;
    }
  }
  static const bool removed_at_exit = std::atexit(remove_temporaries) == 0;
  static_cast<void>(removed_at_exit);
  const std::u8string target_text = target.u8string();
  const std::u8string temporary_text = fs::path(temporary.data()).u8string();
  return ReplacedFile{std::string(target_text.begin(), target_text.end()),
                      std::string(temporary_text.begin(), temporary_text.end())};
}

bool finish_replacing(const ReplacedFile& file, std::string_view content, std::string& error) {
  const std::wstring temporary = wide(file.temporary);
  const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD failure = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  while (failure == 0 && !content.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written == 0) {
      failure = GetLastError() != 0 ? GetLastError() : ERROR_DISK_FULL;
    } else {
      content.remove_prefix(written);
    }
  }
  // On the disk before the rename, so that a crash leaves either the old file or the new.
  if (failure == 0 && !FlushFileBuffers(handle)) {
    failure = GetLastError();
  }
  if (handle != INVALID_HANDLE_VALUE && !CloseHandle(handle) && failure == 0) {
    failure = GetLastError();
  }
  if (failure == 0 && !MoveFileExW(temporary.c_str(), wide(file.path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failure = GetLastError();
  }
  if (failure != 0) {
    DeleteFileW(temporary.c_str());
    error = std::strerror(errno_of(failure));
  }
  for (Temporary& slot : temporaries) {
    if (slot.in_use.load() && temporary == slot.path.data()) {
      slot.in_use.store(false);
    }
  }
  return failure == 0;
}

void stop_programs_and_temporaries_with_this_process() {
  SetConsoleCtrlHandler(stop_everything, TRUE);
}
