// A report's text with its wrapped lines joined, so that a test finds a sentence however the
// lines wrap it.
#pragma once

#include <string>

inline std::string unwrapped(std::string text) {
  for (std::size_t at = text.find("\n  "); at != std::string::npos; at = text.find("\n  ")) {
    text.replace(at, 3, " ");
  }
  return text;
}
