// The files a command writes: checked and begun before anything runs, so that a run of a
// minute never ends in a file that cannot be written; never one the command reads; each
// written whole or not at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

// A file the command line names for writing: "--json" or "--svg", and its path.
struct Output {
  const char* option;
  std::string path;
};

// A file the report wrote, or tried to.
struct WrittenFile {
  std::string label;  // "JSON", "SVG"
  std::string path;
  std::string error;  // why it was not written; "" if it was
};

// Why an output cannot be written, where it is also a file the command reads, under any name
// (a link, "..", a hard link): "--json X is also READ_AS, Y: name another file to write".
[[nodiscard]] std::optional<std::string> output_over_input(const std::vector<Output>& outputs,
                                                           const std::vector<std::string>& inputs,
                                                           const char* read_as);

// Each output checked (a regular file or a new one, in a folder that is there; two outputs
// never one file) and begun (its temporary made beside it); nullopt with the reason where one
// cannot be.
[[nodiscard]] std::optional<std::vector<ReplacedFile>> begin_outputs(
    const std::vector<Output>& outputs, std::string& error);

// The files of written, each with its label ("JSON", "SVG") and no error yet.
[[nodiscard]] std::vector<WrittenFile> to_be_written(const std::vector<Output>& outputs);

// Writes each file whole; a content of nullopt is not written (its file's error says why
// already). False if any was not written, with the reason in its entry of written.
[[nodiscard]] bool finish_outputs(const std::vector<ReplacedFile>& files,
                                  const std::vector<std::optional<std::string>>& contents,
                                  std::vector<WrittenFile>& written);
