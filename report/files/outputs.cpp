// Checking, beginning and finishing the files a command writes.
#include "report/files/outputs.h"

#include "report/files/paths.h"
#include "report/words/safe_text.h"

std::optional<std::string> output_over_input(const std::vector<Output>& outputs,
                                             const std::vector<std::string>& inputs,
                                             const char* read_as) {
  for (const Output& output : outputs) {
    for (const std::string& input : inputs) {
      if (same_file(output.path, input)) {
        return std::string(output.option) + " " + safe_text(output.path, 200) + " is also " +
               read_as + ", " + safe_text(input, 200) + ": name another file to write";
      }
    }
  }
  return std::nullopt;
}

std::optional<std::vector<ReplacedFile>> begin_outputs(const std::vector<Output>& outputs,
                                                       std::string& error) {
  for (const Output& output : outputs) {
    // Replaced by its rename, the file would lose the text the report writes to it.
    if (const std::optional<std::string> stream = standard_stream_at(output.path)) {
      error = std::string(output.option) + " " + safe_text(output.path, 200) + " is also " +
              *stream + ": name another file to write";
      return std::nullopt;
    }
  }
  for (const Output& output : outputs) {
    if (const std::optional<std::string> why = why_not_writable(output.path)) {
      error = "cannot write " + safe_text(output.path, 200) + ": " + *why;
      return std::nullopt;
    }
  }
  if (outputs.size() == 2 && same_file(outputs[0].path, outputs[1].path)) {
    error = "--json and --svg name the same file, " + safe_text(outputs[0].path, 200);
    return std::nullopt;
  }
  std::vector<ReplacedFile> files;
  for (const Output& output : outputs) {
    std::string why;
    std::optional<ReplacedFile> file = begin_replacing(output.path, why);
    if (!file) {
      error = "cannot write " + safe_text(output.path, 200) + ": " + safe_text(why, 400);
      return std::nullopt;
    }
    files.push_back(*file);
  }
  return files;
}

std::vector<WrittenFile> to_be_written(const std::vector<Output>& outputs) {
  std::vector<WrittenFile> written;
  for (const Output& output : outputs) {
    written.push_back({std::string(output.option) == "--json" ? "JSON" : "SVG", output.path, ""});
  }
  return written;
}

bool finish_outputs(const std::vector<ReplacedFile>& files,
                    const std::vector<std::optional<std::string>>& contents,
                    std::vector<WrittenFile>& written) {
  bool all = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!contents[i] || !finish_replacing(files[i], *contents[i], written[i].error)) {
      all = false;
    }
  }
  return all;
}
