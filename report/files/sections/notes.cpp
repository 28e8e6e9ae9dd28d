// What the report left out, and why: "notes".
#include <algorithm>

#include "report/files/sections/section.h"
#include "report/words/safe_text.h"

void write_notes(const Results& results, Json::Object& report) {
  Json::Array notes;
  for (const std::string& note : results.notes) {
    notes.emplace_back(note);
  }
  std::vector<const std::string*> left_outs{
      &results.model_left_out, &results.study.counters_left_out, &results.study.latencies.left_out,
      &results.bounds_left_out};
  for (const std::string& chain : results.chains_left_out) {
    left_outs.push_back(&chain);
  }
  for (const std::string* left_out : left_outs) {
    const bool noted = std::any_of(notes.begin(), notes.end(), [&](const Json& note) {
      return *note.get<std::string>() == *left_out;  // one reason for two things left out
    });
    if (!left_out->empty() && !noted) {
      notes.emplace_back(*left_out);
    }
  }
  report.emplace_back("notes", std::move(notes));
}

void read_notes(Reader& read, const Json& report, Results& results) {
  const Json::Array& notes = read.array(report, "notes");
  if (notes.size() > MAX_NOTES) {
    read.fail("\"notes\" holds " + std::to_string(notes.size()) + " notes, more than " +
              std::to_string(MAX_NOTES));
  }
  for (const Json& note : notes) {
    if (const std::string* text = note.get<std::string>();
        text && results.notes.size() < MAX_NOTES) {
      results.notes.push_back(safe_text(*text, 200));
    }
  }
}
