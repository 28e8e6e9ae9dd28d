// The picture is well-formed XML with one line per kernel in each panel.
#include "report/picture/report_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "report/words/utf8.h"
#include "tests/report/sample_results.h"

namespace {

// Checks well-formedness as an XML parser would for this document's kind of markup:
// characters XML allows in valid UTF-8, balanced and properly nested elements, quoted
// attributes, only the five entities. Returns "" when well-formed, else what is wrong.
std::string xml_fault(const std::string& xml) {
  for (std::size_t at = 0; at < xml.size();) {
    std::uint32_t c = 0;
    const std::size_t length = utf8_sequence(std::string_view(xml).substr(at), c);
    const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
    if (length == 0 || !allowed) {
      return "a character XML forbids at " + std::to_string(at);
    }
    at += length;
  }
  std::vector<std::string> open;
  std::size_t i = xml.starts_with("<?xml") ? xml.find("?>") + 2 : 0;
  while (i < xml.size()) {
    if (xml[i] == '&') {
      const std::size_t end = xml.find(';', i);
      const std::string entity = xml.substr(i, end == std::string::npos ? 1 : end - i + 1);
      if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" &&
          entity != "&apos;") {
        return "bad entity " + entity;
      }
      i = end + 1;
      continue;
    }
    if (xml[i] != '<') {
      ++i;
      continue;
    }
    const bool closing = xml.compare(i, 2, "</") == 0;
    std::size_t j = i + (closing ? 2 : 1);
    const std::size_t name_start = j;
    while (j < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[j])) || xml[j] == '-')) {
      ++j;
    }
    const std::string name = xml.substr(name_start, j - name_start);
    if (name.empty()) {
      return "a tag without a name at " + std::to_string(i);
    }
    // Attributes: name="value", no '<' inside a value.
    for (;;) {
      while (j < xml.size() && std::isspace(static_cast<unsigned char>(xml[j]))) {
        ++j;
      }
      if (j >= xml.size()) {
        return "unterminated tag " + name;
      }
      if (xml[j] == '>' || xml.compare(j, 2, "/>") == 0) {
        break;
      }
      const std::size_t equals = xml.find('=', j);
      if (closing || equals == std::string::npos || xml[equals + 1] != '"') {
        return "unquoted attribute in " + name;
      }
      const std::size_t end = xml.find('"', equals + 2);
      if (end == std::string::npos ||
          xml.substr(equals + 2, end - equals - 2).find('<') != std::string::npos) {
        return "bad attribute value in " + name;
      }
      j = end + 1;
    }
    const bool empty = xml[j] == '/';
    i = j + (empty ? 2 : 1);
    if (closing) {
      if (open.empty() || open.back() != name) {
        return "</" + name + "> closes " + (open.empty() ? "nothing" : "<" + open.back() + ">");
      }
      open.pop_back();
    } else if (!empty) {
      open.push_back(name);
    }
  }
  return open.empty() ? "" : "<" + open.back() + "> never closed";
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

TEST(XmlFault, FindsTheFaultsItLooksFor) {
  EXPECT_EQ(xml_fault("<a><b x=\"1\"/>t &amp; u</a>"), "");
  EXPECT_NE(xml_fault("<a><b></a></b>"), "");
  EXPECT_NE(xml_fault("<a x=1></a>"), "");
  EXPECT_NE(xml_fault("<a>&nbsp;</a>"), "");
  EXPECT_NE(xml_fault("<a>"), "");
  EXPECT_NE(xml_fault("<a>\xef\xbf\xbe</a>"), "");  // U+FFFE
  EXPECT_NE(xml_fault("<a>\x01</a>"), "");
  EXPECT_NE(xml_fault("<a>\xff</a>"), "");
}

// Texts from a report file may hold any character: XML takes only some, and the picture
// must open in a browser all the same.
TEST(DrawSvg, DrawsOnlyCharactersXmlAllows) {
  Results results = sample_results();
  results.machine.processor = "Evil\xef\xbf\xbe\xef\xbf\xbf CPU\x01\xff \xc3\xa9";
  const std::string svg = draw_svg(worked(results));
  EXPECT_EQ(xml_fault(svg), "");
  // Each forbidden character and bad byte stands as U+FFFD; the letters stay.
  EXPECT_NE(svg.find("Evil\xef\xbf\xbd\xef\xbf\xbd CPU\xef\xbf\xbd\xef\xbf\xbd \xc3\xa9"),
            std::string::npos);
}

TEST(DrawSvg, IsWellFormedWithOneSeriesPerKernel) {
  Results results = sample_results();
  results.machine.processor = "A&B <fast> \"CPU\"";  // must be escaped, not break the XML
  const std::string svg = draw_svg(worked(results));
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_TRUE(svg.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns="));
  EXPECT_EQ(count(svg, "<script"), 0U);
  EXPECT_EQ(count(svg, "href"), 0U);  // nothing from outside
  EXPECT_NE(svg.find("A&amp;B &lt;fast&gt; &quot;CPU&quot;, g++ 12"), std::string::npos);
  for (const KernelFigures& kernel : results.study.kernels) {
    EXPECT_EQ(count(svg, "class=\"series ns\" data-kernel=\"" + kernel.name + "\""), 1U)
        << kernel.name;
    EXPECT_EQ(count(svg, "class=\"series passes\" data-kernel=\"" + kernel.name + "\""),
              kernel.passes_per_call ? 1U : 0U)
        << kernel.name;
  }
  // How the passes spread: one line per kit kernel counted, one per distribution of shares,
  // and the two laws.
  for (const char* series : {"class=\"series spread\" data-kernel=\"gcd_euclid_u\"",
                             "class=\"series spread\" data-kernel=\"gcd_binary_u\"",
                             "class=\"series shares\" data-kernel=\"gcd_euclid_u\"",
                             "class=\"series shares\" data-kernel=\"gcd_binary_u\"",
                             "data-law=\"Gauss-Kuzmin\"", "data-law=\"geometric\""}) {
    EXPECT_EQ(count(svg, series), 1U) << series;
  }
  EXPECT_EQ(count(svg, "class=\"series "), 14U + 10U);  // and what bounds a call, below
  EXPECT_NE(svg.find(">ns per call</text>"), std::string::npos);
  EXPECT_NE(svg.find(">operand size (bits)</text>"), std::string::npos);
  // The two theory lines.
  const std::size_t theory = svg.find("<g class=\"theory\"");
  ASSERT_NE(theory, std::string::npos);
  EXPECT_EQ(count(svg.substr(theory, svg.find("</g>", theory) - theory), "<line "), 2U);
}

// Every kernel and peer a build may have in a colour or dash of its own.
TEST(DrawSvg, DrawsEachKernelInAStyleOfItsOwn) {
  Results results = sample_results();
  for (const char* peer : {"std_gcd_u", "mpn_gcd_1_u", "binary_two_u"}) {
    for (unsigned bits = 1; bits <= 32; ++bits) {
      results.study.sweep.push_back({peer, bits, {1.0 * bits}, std::nullopt});
    }
  }
  const std::string svg = draw_svg(worked(results));
  const std::regex series(
      R"re(<g class="series ns" data-kernel="([a-z_0-9]+)">\n<polyline fill="none" stroke="([^"]+)" stroke-width="2"( stroke-dasharray="[^"]+")?)re");
  std::set<std::string> styles;
  std::size_t count = 0;
  for (std::sregex_iterator it(svg.begin(), svg.end(), series), end; it != end; ++it, ++count) {
    styles.insert((*it)[2].str() + (*it)[3].str());
  }
  EXPECT_EQ(count, 9U);
  EXPECT_EQ(styles.size(), count);
}

// What bounds a call: per kernel whose calls were grouped, the dots of each exit's groups and
// its line, the line of its chain, and a ring for the programs' order; none without them.
TEST(DrawSvg, DrawsEachCallAgainstItsPasses) {
  const std::string svg = draw_svg(sample_results());
  EXPECT_EQ(xml_fault(svg), "");
  for (const auto& [kernel, exits] :
       {std::pair{"gcd_euclid_u", 1U}, std::pair{"gcd_binary_u", 2U}}) {
    const std::string name = std::string("data-kernel=\"") + kernel + "\"";
    EXPECT_EQ(count(svg, "class=\"series groups\" " + name), exits) << kernel;
    EXPECT_EQ(count(svg, "class=\"series overlapped\" " + name), exits) << kernel;
    EXPECT_EQ(count(svg, "class=\"series chain\" " + name), 1U) << kernel;
    EXPECT_EQ(count(svg, "class=\"series in-order\" " + name), 1U) << kernel;
  }
  // gcd_euclid_u's five groups of 14 to 22 passes are dots; its group of 50 pairs is not.
  const std::size_t groups = svg.find("class=\"series groups\" data-kernel=\"gcd_euclid_u\"");
  EXPECT_EQ(count(svg.substr(groups, svg.find("</g>", groups) - groups), "<circle "), 5U);
  // No group of 100 pairs: no line and no chain to draw, and an axis no longer than the rings
  // of the programs' order; calls of a thousand passes, from a file, on an axis of a few ticks.
  Results few = sample_results();
  for (CallTimings& calls : few.study.calls) {
    for (GroupTiming& group : calls.groups) {
      group.pairs = 50;
    }
  }
  const std::string sparse = draw_svg(worked(few));
  EXPECT_EQ(xml_fault(sparse), "");
  EXPECT_EQ(count(sparse, "class=\"series chain\""), 0U);
  EXPECT_EQ(count(sparse, "class=\"series in-order\""), 2U);
  EXPECT_LT(sparse.size(), svg.size());
  for (CallTimings& calls : few.study.calls) {
    for (GroupTiming& group : calls.groups) {
      group.passes *= 40;
    }
  }
  const std::string long_calls = draw_svg(worked(few));
  EXPECT_LT(long_calls.size(), svg.size() + 2000);
  EXPECT_NE(long_calls.find(">1000</text>"), std::string::npos);
  Results without = sample_results();
  without.study.calls.clear();
  const std::string none = draw_svg(worked(without));
  EXPECT_EQ(count(none, "class=\"series groups\""), 0U);
  EXPECT_NE(none.find("height=\"1060.0\""), std::string::npos);
}

// The value and height of each tick label in a group: <text x=".." y="Y" ...>V</text>.
std::vector<std::pair<double, double>> tick_labels(const std::string& group) {
  std::vector<std::pair<double, double>> ticks;
  const std::regex label(R"re(<text x="[0-9.]+" y="([0-9.]+)"[^>]*>([0-9.]+)</text>)re");
  for (std::sregex_iterator it(group.begin(), group.end(), label), end; it != end; ++it) {
    ticks.emplace_back(std::stod((*it)[2]), std::stod((*it)[1]) - 4);
  }
  return ticks;
}

// The time panel's right axis gives cycles at the heights where the left one gives their ns:
// each cycles label c lies where c / 3 ns would, at 3 GHz.
TEST(DrawSvg, PutsCyclesBesideNsAtTheClock) {
  const std::string svg = draw_svg(sample_results());
  const std::size_t left_start = svg.find("<g class=\"axes\"");
  const std::size_t right_start = svg.find("<g class=\"right-axis\"");
  ASSERT_NE(right_start, std::string::npos);
  EXPECT_NE(svg.find(">cycles per call (at 3.00 GHz)</text>"), std::string::npos);
  const auto left = tick_labels(svg.substr(left_start, svg.find("</g>", left_start) - left_start));
  const auto right =
      tick_labels(svg.substr(right_start, svg.find("</g>", right_start) - right_start));
  ASSERT_GE(left.size(), 3U);
  ASSERT_GE(right.size(), 3U);
  // The left axis is linear: its first and last labels give the height of any ns.
  const auto [ns_low, y_low] = left.front();
  const auto [ns_high, y_high] = left[left.size() - 10];  // before the bits labels
  for (const auto& [cycles, y] : right) {
    const double ns = cycles / 3.0;
    EXPECT_NEAR(y, y_low + (ns - ns_low) / (ns_high - ns_low) * (y_high - y_low), 0.15) << cycles;
  }
  Results no_clock = sample_results();
  no_clock.study.clock_before_ghz.reset();
  EXPECT_EQ(draw_svg(worked(no_clock)).find("right-axis"), std::string::npos);
}

}  // namespace
