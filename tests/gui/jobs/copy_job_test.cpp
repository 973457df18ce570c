#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/copy/copy_run.h"
#include "gui/jobs/copy_job.h"
#include "support/file_tree.h"
#include "support/temp_folder.h"

namespace nuvelo {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// Answers the copy's questions from a script, one answer per question in the order asked; a
// question past the script's end is held open until the test aborts the job.
class ScriptedQuestions : public CopyQuestions {
 public:
  std::vector<ReplaceAnswer> script;
  std::vector<std::string> asked;  // the targets, in order
  bool withdrawn = false;
  std::function<void()> whenHeld;  // runs when a question is held open

  MessageBoxes::Withdraw askReplace(const std::string& target,
                                    std::function<void(ReplaceAnswer)> answered) override {
    asked.push_back(std::filesystem::path(target).filename().string());
    if (asked.size() <= script.size()) {
      answered(script[asked.size() - 1]);
      return [] {};
    }
    if (whenHeld) whenHeld();
    return [this] { withdrawn = true; };
  }
  MessageBoxes::Withdraw askToGoOnWithoutRoom(const SpaceShortage&,
                                              std::function<void(bool)> answered) override {
    answered(false);
    return [] {};
  }
  MessageBoxes::Withdraw askToMakeDestination(std::function<void(bool)> answered) override {
    answered(false);
    return [] {};
  }
  MessageBoxes::Withdraw askToUseOtherDrive(const DriveMismatch&,
                                            std::function<void(bool)> answered) override {
    answered(false);
    return [] {};
  }
  MessageBoxes::Withdraw tellFailure(const EntryReport&, std::function<void(bool)> more) override {
    more(true);
    return [] {};
  }
};

class CopyJobRun : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(source());
    std::filesystem::create_directories(destination());
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      writeFile(source() + "/" + name, std::string("new ") + name);
      writeFile(destination() + "/" + name, "old");
    }
  }
  std::string source() const { return tree.path() + "/src"; }
  std::string destination() const { return tree.path() + "/dst"; }
  std::string at(const char* name) const { return readFile(destination() + "/" + name); }

  // Runs the job to its end, as the window does; `during` runs on the window's thread once the
  // job has started.
  CopyRunResult run(std::function<void(CopyJob&)> during = {}) {
    std::vector<CopySource> sources;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      sources.push_back({source() + "/" + name, false, 1024});
    CopyRequest request;
    request.rule = {false, true, source(), PathStyle::Posix};
    request.destination = destination();
    request.overwrite = OverwriteAsk;
    request.filter.sourceText = source();
    request.filter.threads = GetParam();
    std::optional<CopyRunResult> result;
    CopyJobWatch watch;
    watch.progressed = [](long long, const std::optional<CopyProgress>&, bool) {};
    watch.copying = [] {};
    watch.failed = [](const EntryReport&) {};
    watch.ended = [&](const CopyRunResult& r, const std::vector<std::string>&,
                      const std::string& error, std::optional<CopyRefusal> refusal) {
      EXPECT_TRUE(error.empty()) << error;
      EXPECT_FALSE(refusal);
      result = r;
    };
    auto marks = std::make_shared<CheckMarks>(std::vector<bool>(3, true));
    CopyJob job(
        sources, marks, [request] { return request; }, questions, watch);
    job.start(3);
    if (during) during(job);
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 60000));
    EXPECT_FALSE(job.running());
    return result.value_or(CopyRunResult{});
  }

  TempFolder tree;
  ScriptedQuestions questions;
};

struct AnswerCase {
  const char* name;
  std::vector<ReplaceAnswer> script;
  const char* left;  // what a, b and c hold afterwards: n(ew) or o(ld)
  bool aborted;
};

TEST_P(CopyJobRun, EachAnswerIsTakenAtItsQuestion) {
  using enum ReplaceAnswer;
  const AnswerCase cases[] = {
      {"yes to all", {Replace, Replace, Replace}, "nnn", false},
      {"no at the first", {Keep, Replace, Replace}, "onn", false},
      {"no at the last", {Replace, Replace, Keep}, "nno", false},
      {"stop at the first", {Stop}, "ooo", true},
      {"stop at the third", {Replace, Replace, Stop}, "nno", true},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    questions = ScriptedQuestions{};
    questions.script = c.script;
    const CopyRunResult result = run();
    EXPECT_EQ(result.aborted, c.aborted);
    EXPECT_EQ(questions.asked.size(), c.script.size());
    std::string left;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) left += at(name) == "old" ? 'o' : 'n';
    EXPECT_EQ(left, c.left);
  }
}

// An abort while a question is open withdraws it and stops the run there: the file asked about
// and those after it keep what they held, and no other question comes.
TEST_P(CopyJobRun, AbortDuringAQuestionWithdrawsItAndStops) {
  for (const std::size_t heldAt : {std::size_t{0}, std::size_t{2}}) {
    SCOPED_TRACE(heldAt);
    SetUp();
    questions = ScriptedQuestions{};
    questions.script.assign(heldAt, ReplaceAnswer::Replace);
    bool held = false;
    questions.whenHeld = [&] { held = true; };
    const CopyRunResult result = run([&](CopyJob& job) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return held; }, 60000));
      job.abort();
    });
    EXPECT_TRUE(result.aborted);
    EXPECT_TRUE(questions.withdrawn);
    EXPECT_EQ(questions.asked.size(), heldAt + 1);
    EXPECT_EQ(at("c.txt"), "old");
    EXPECT_EQ(at("a.txt"), heldAt > 0 ? "new a.txt" : "old");
  }
}

INSTANTIATE_TEST_SUITE_P(Threads, CopyJobRun, ::testing::Values(1u, 4u),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

}  // namespace
}  // namespace nuvelo
