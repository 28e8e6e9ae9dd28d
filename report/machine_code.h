// Reading a kernel's machine code as objdump disassembles it (objdump -d --no-show-raw-insn):
// finding its loop. Any text is taken: what is no disassembly is refused with the reason,
// never thrown.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The loop of one function in its disassembly: from the target of its backward branch to
// that branch, the outermost loop where there are several, with the branches' targets as
// labels (.Lloop for the loop's head, .Lexit for anything else), one instruction a line.
// nullopt with the reason in error ("no loop").
[[nodiscard]] std::optional<std::string> loop_assembly(std::string_view disassembly,
                                                       std::string& error);
