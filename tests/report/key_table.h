// A JSON file's keys as the guide's table documents them, and a file held against that table,
// so that the guide and the files the kit writes cannot drift apart.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/files/json.h"

// A row of the table: a key and the keys of what it holds (per element of a list); a key
// followed by keys in brackets holds an object, or a list of objects, with those keys.
struct DocumentedMember {
  std::string name;
  std::vector<std::string> keys;  // of the object it holds; none for a plain value
};
using KeyTable = std::vector<std::pair<std::string, std::vector<DocumentedMember>>>;

// The names in `backticks` that are keys (lower case, digits, '_'), with their bracketed keys.
inline std::vector<DocumentedMember> documented_members(std::string_view text) {
  const auto is_key = [](std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
  };
  std::vector<DocumentedMember> members;
  for (std::size_t open = text.find('`'); open != std::string_view::npos;
       open = text.find('`', open)) {
    const std::size_t close = text.find('`', open + 1);
    const std::string_view word = text.substr(open + 1, close - open - 1);
    open = close + 1;
    if (!is_key(word)) {
      continue;
    }
    DocumentedMember member{std::string(word), {}};
    if (text.substr(open).starts_with(" (`")) {
      const std::size_t end = text.find(')', open);
      for (const DocumentedMember& key :
           documented_members(text.substr(open + 1, end - open - 1))) {
        member.keys.push_back(key.name);
      }
      open = end;
    }
    members.push_back(member);
  }
  return members;
}

// The table that follows the line `heading` in the page: its rows "| `key` | what it holds |".
inline KeyTable key_table(const std::string& page, const std::string& heading) {
  std::ifstream in(page);
  std::string line;
  while (std::getline(in, line) && line != heading) {
  }
  KeyTable table;
  while (std::getline(in, line) && (table.empty() || line.starts_with("|"))) {
    if (line.starts_with("| `")) {
      const std::size_t middle = line.find(" | ");
      table.emplace_back(line.substr(3, line.find('`', 3) - 3),
                         documented_members(std::string_view(line).substr(middle + 3)));
    }
  }
  return table;
}

inline std::vector<std::string> keys_of(const Json& json) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : *json.get<Json::Object>()) {
    keys.push_back(key);
  }
  return keys;
}

// Every key the file has is in the table and every key there is in the file, in the table's
// order and with the shape it gives. An object in brackets holds figures (numbers).
inline void expect_keys_as_documented(const Json& json, const KeyTable& table) {
  ASSERT_GE(table.size(), 2U) << "the key table was not found";
  std::vector<std::string> documented;
  for (const auto& [key, members] : table) {
    SCOPED_TRACE(key);
    documented.push_back(key);
    const Json* value = json.find(key);
    ASSERT_NE(value, nullptr);
    std::vector<const Json*> holders;  // what the members belong to: the object, or each element
    if (const Json::Array* list = value->get<Json::Array>()) {
      for (const Json& element : *list) {
        holders.push_back(&element);
      }
    } else if (value->get<Json::Object>() != nullptr) {
      holders.push_back(value);
    }
    for (const Json* holder : holders) {
      if (members.empty()) {
        break;  // a list of texts (notes)
      }
      std::vector<std::string> names;
      for (const DocumentedMember& member : members) {
        names.push_back(member.name);
        if (member.keys.empty()) {
          continue;
        }
        const Json* inner = holder->find(member.name);
        ASSERT_NE(inner, nullptr) << member.name;
        if (const Json::Array* list = inner->get<Json::Array>()) {
          for (const Json& element : *list) {
            ASSERT_NE(element.get<Json::Object>(), nullptr) << member.name;
            EXPECT_EQ(keys_of(element), member.keys) << member.name;
          }
          continue;
        }
        ASSERT_NE(inner->get<Json::Object>(), nullptr) << member.name;
        EXPECT_EQ(keys_of(*inner), member.keys) << member.name;
        for (const std::string& inner_key : member.keys) {
          EXPECT_NE(inner->find(inner_key)->get<double>(), nullptr)
              << member.name << "." << inner_key;
        }
      }
      EXPECT_EQ(keys_of(*holder), names);
    }
  }
  EXPECT_EQ(keys_of(json), documented);
}
