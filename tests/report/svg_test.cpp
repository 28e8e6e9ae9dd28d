// The picture is well-formed XML with one line per kernel in each panel.
#include "report/svg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/report/sample_results.h"

namespace {

// Checks well-formedness as an XML parser would for this document's kind of markup:
// balanced and properly nested elements, quoted attributes, only the five entities. Returns
// "" when well-formed, else what is wrong.
std::string xml_fault(const std::string& xml) {
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
}

TEST(DrawSvg, IsWellFormedWithOneSeriesPerKernel) {
  Results results = sample_results();
  results.machine.processor = "A&B <fast> \"CPU\"";  // must be escaped, not break the XML
  const std::string svg = draw_svg(results);
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
  EXPECT_EQ(count(svg, "class=\"series "), 9U);
  EXPECT_NE(svg.find(">ns per call</text>"), std::string::npos);
  EXPECT_NE(svg.find(">operand size (bits)</text>"), std::string::npos);
  // The two theory lines.
  const std::size_t theory = svg.find("<g class=\"theory\"");
  ASSERT_NE(theory, std::string::npos);
  EXPECT_EQ(count(svg.substr(theory, svg.find("</g>", theory) - theory), "<line "), 2U);
}

}  // namespace
