// Every name a file system allows comes back out of nuvelo-cli's output as the bytes it was:
// tabs and line ends in names, bytes that are not UTF-8, and escape sequences that a
// terminal would obey.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "cli/cli_harness.h"
#include "support/file_tree.h"

namespace nuvelo {
namespace {

using testing::localTime;
using testing::makeFile;
using testing::TempFolder;

const std::vector<std::string> OddNames = {
    "tab\there.txt",
    "new\nline.txt",
    "carriage\rreturn.txt",
    "back\\slash.txt",
    "esc\x1b[31mred.txt",
    "caf\xE9.txt",
    "caf\xE8.txt",
    "caf\xC3\xA9.txt",
    "c1\xC2\x9b"
    "2J.txt",
    "plain.txt",
};

std::string unescapeTsv(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char next = field[++i];
    if (next == 't')
      out += '\t';
    else if (next == 'n')
      out += '\n';
    else if (next == 'r')
      out += '\r';
    else if (next == '\\')
      out += '\\';
    else if (next == 'x')
      out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16)), i += 2;
    else if (next == 'u') {
      const int code = std::stoi(field.substr(i + 1, 4), nullptr, 16);  // C1 controls only
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
      i += 4;
    } else
      out += next;
  }
  return out;
}

// The value of a JSON string field of one line, decoded (\uXXXX below U+0800 is enough here).
std::optional<std::string> jsonField(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\": \"";
  auto at = line.find(start);
  if (at == std::string::npos) return std::nullopt;
  std::string out;
  for (at += start.size(); at < line.size() && line[at] != '"'; ++at) {
    if (line[at] != '\\') {
      out += line[at];
      continue;
    }
    const char next = line[++at];
    if (next == 'u') {
      const int code = std::stoi(line.substr(at + 1, 4), nullptr, 16);
      if (code < 0x80)
        out += static_cast<char>(code);
      else
        out += static_cast<char>(0xC0 | (code >> 6)),
            out += static_cast<char>(0x80 | (code & 0x3F));
      at += 4;
    } else {
      out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
  }
  return out;
}

std::string unescapeBytes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\x") == 0) {
      out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Control characters besides the line ends (and the tabs between fields, where given).
bool holdsTerminalControls(const std::string& text, bool fieldTabs = false) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\t' && fieldTabs) continue;
    if ((c < 0x20 && c != '\n') || c == 0x7f) return true;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80)
      return true;
  }
  return false;
}

class OutputRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& name : OddNames) makeFile(source() + "/" + name, localTime(2024, 5, 2));
  }
  std::string source() const { return tree.path() + "/src"; }
  std::vector<std::string> outputLines() const {
    std::vector<std::string> lines;
    std::string text = cli.out.str();
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  int search(const char* format) {
    return cli.run({"search", "--since", "2024-05-01", "--relative", "--format", format, source()});
  }
  std::set<std::string> expected() const { return {OddNames.begin(), OddNames.end()}; }

  TempFolder tree;
  testing::CliHarness cli{tree.file("NVO.ini")};
};

TEST_F(OutputRoundTrip, TsvIsOneLinePerRowAndGivesBackEveryName) {
  ASSERT_EQ(search("tsv"), 0) << cli.err.str();
  std::set<std::string> names;
  for (const std::string& line : outputLines()) {
    const std::string field = line.substr(line.rfind('\t') + 1);  // the path column
    names.insert(unescapeTsv(field));
  }
  EXPECT_EQ(outputLines().size(), OddNames.size());
  EXPECT_EQ(names, expected());
  EXPECT_FALSE(holdsTerminalControls(cli.out.str(), true));
}

TEST_F(OutputRoundTrip, JsonKeepsTheBytesOfNamesThatAreNotUtf8) {
  ASSERT_EQ(search("json"), 0) << cli.err.str();
  std::set<std::string> names;
  std::size_t rows = 0;
  for (const std::string& line : outputLines()) {
    const auto path = jsonField(line, "path");
    if (!path) continue;
    ++rows;
    const auto bytes = jsonField(line, "path_bytes");
    names.insert(bytes ? unescapeBytes(*bytes) : *path);
  }
  EXPECT_EQ(rows, OddNames.size());
  EXPECT_EQ(names, expected());
}

TEST_F(OutputRoundTrip, TextForATerminalShowsControlsEscaped) {
  ASSERT_EQ(search("text"), 0) << cli.err.str();
  EXPECT_FALSE(holdsTerminalControls(cli.out.str()));
  EXPECT_EQ(outputLines().size(), OddNames.size());
  EXPECT_NE(cli.out.str().find("esc\\x1b[31mred.txt"), std::string::npos);
}

TEST_F(OutputRoundTrip, CopyLinesGiveBackEveryName) {
  std::filesystem::create_directories(tree.file("dst"));
  ASSERT_EQ(cli.run({"copy", "--since", "2024-05-01", "--relative", "--overwrite", "always",
                     source(), tree.file("dst")}),
            0)
      << cli.err.str();
  std::set<std::string> names;
  for (const std::string& line : outputLines()) {
    const std::string sourceField =
        line.substr(line.find('\t') + 1, line.rfind('\t') - line.find('\t') - 1);
    names.insert(unescapeTsv(sourceField).substr(source().size() + 1));
  }
  EXPECT_EQ(names, expected());
  EXPECT_FALSE(holdsTerminalControls(cli.out.str(), true));
  for (const std::string& name : OddNames)
    EXPECT_TRUE(std::filesystem::exists(tree.file("dst/" + name))) << name;
}

}  // namespace
}  // namespace nuvelo
