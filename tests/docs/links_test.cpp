// The guide's links hold: every relative link and image in README.md and docs/ names a file
// that exists, and every #anchor a heading of the page it points to, as GitHub names it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string content_of(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The page without its fenced code blocks, where a link is only text.
std::vector<std::string> prose_lines(const std::string& page) {
  std::vector<std::string> lines;
  std::string line;
  bool fenced = false;
  for (std::size_t start = 0; start <= page.size();) {
    const std::size_t end = std::min(page.find('\n', start), page.size());
    line = page.substr(start, end - start);
    start = end + 1;
    if (line.starts_with("```")) {
      fenced = !fenced;
    } else if (!fenced) {
      lines.push_back(line);
    }
  }
  return lines;
}

// A heading's anchor as GitHub makes it: lower case, blanks to '-', all but letters, digits,
// '-' and '_' left out; a second heading of the same anchor gets "-1", a third "-2".
std::vector<std::string> anchors_of(const std::string& page) {
  std::vector<std::string> anchors;
  for (const std::string& line : prose_lines(page)) {
    const std::size_t hashes = line.find_first_not_of('#');
    if (hashes == 0 || hashes == std::string::npos || line[hashes] != ' ') {
      continue;
    }
    std::string anchor;
    for (const char c : line.substr(hashes + 1)) {
      const auto byte = static_cast<unsigned char>(c);
      if (std::isalnum(byte) != 0 || c == '-' || c == '_') {
        anchor += static_cast<char>(std::tolower(byte));
      } else if (c == ' ') {
        anchor += '-';
      }
    }
    const auto same = std::count(anchors.begin(), anchors.end(), anchor);
    anchors.push_back(same == 0 ? anchor : anchor + "-" + std::to_string(same));
  }
  return anchors;
}

// What is wrong with the page's links, one line each; none where all hold.
std::vector<std::string> broken_links(const fs::path& page) {
  static const std::regex LINK(R"(!?\[[^\]]*\]\(([^)\s]+)(?:\s+"[^"]*")?\))");
  std::vector<std::string> broken;
  for (const std::string& line : prose_lines(content_of(page))) {
    for (std::sregex_iterator it(line.begin(), line.end(), LINK), end; it != end; ++it) {
      const std::string target = (*it)[1];
      if (target.starts_with("http://") || target.starts_with("https://") ||
          target.starts_with("mailto:")) {
        continue;
      }
      const std::size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      const fs::path linked = file.empty() ? page : page.parent_path() / file;
      if (!fs::exists(linked)) {
        broken.push_back(page.filename().string() + ": " + target + ": no such file");
        continue;
      }
      if (hash != std::string::npos) {
        const std::vector<std::string> anchors = anchors_of(content_of(linked));
        if (std::find(anchors.begin(), anchors.end(), target.substr(hash + 1)) == anchors.end()) {
          broken.push_back(page.filename().string() + ": " + target + ": no such heading");
        }
      }
    }
  }
  return broken;
}

TEST(Anchors, AreTheHeadingsAsGitHubNamesThem) {
  EXPECT_EQ(anchors_of("# gcd-kit\n## What bounds a pass?\n```\n# not a heading\n```\n"
                       "### 64-bit ARM Linux\n## The `--trace` option\n## What bounds a pass?\n"),
            (std::vector<std::string>{"gcd-kit", "what-bounds-a-pass", "64-bit-arm-linux",
                                      "the---trace-option", "what-bounds-a-pass-1"}));
}

// A link to a file that is not there, and to a heading that is not there, are found; links in
// code, and to the web, are not links to check.
TEST(BrokenLinks, FindsAMissingFileAndAMissingHeading) {
  const TempFolder folder;
  static_cast<void>(folder.file("guide.md", "# Guide\n## The report\ntext\n"));
  const std::string page = folder.file(
      "README.md",
      "# Kit\nSee [the guide](guide.md), [its report](guide.md#the-report), [above](#kit),\n"
      "![a picture](missing.svg), [gone](guide.md#no-such-heading) and [web](https://x.org).\n"
      "```\n[in code](nowhere.md)\n```\n");
  EXPECT_EQ(broken_links(page),
            (std::vector<std::string>{"README.md: missing.svg: no such file",
                                      "README.md: guide.md#no-such-heading: no such heading"}));
}

TEST(TheGuide, HasNoBrokenLink) {
  const fs::path source = GCD_KIT_SOURCE_DIR;
  std::vector<fs::path> pages{source / "README.md"};
  for (const auto& entry : fs::recursive_directory_iterator(source / "docs")) {
    if (entry.path().extension() == ".md") {
      pages.push_back(entry.path());
    }
  }
  ASSERT_GE(pages.size(), 5U) << "the guide's pages were not found";
  for (const fs::path& page : pages) {
    for (const std::string& broken : broken_links(page)) {
      ADD_FAILURE() << broken;
    }
  }
}

// Every page of the guide is one a newcomer can find: linked from the README's "Read on".
TEST(TheGuide, ListsEveryPageUnderReadOn) {
  const fs::path source = GCD_KIT_SOURCE_DIR;
  const std::string readme = content_of(source / "README.md");
  const std::size_t read_on = readme.find("\n## Read on\n");
  ASSERT_NE(read_on, std::string::npos) << "README.md has no \"Read on\"";
  const std::string listed = readme.substr(read_on);
  for (const auto& entry : fs::directory_iterator(source / "docs")) {
    if (entry.path().extension() == ".md") {
      const std::string link = "](docs/" + entry.path().filename().string() + ")";
      EXPECT_NE(listed.find(link), std::string::npos) << entry.path().filename() << " is not listed";
    }
  }
}

}  // namespace
