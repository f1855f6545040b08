// Every command with the host failing at each of its calls in turn: each ends as its design says.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <set>

#include "addin/commands.h"
#include "host_doubles/counting_host.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "sections/form_set.h"
#include "sections/form_sort.h"
#include "support/recording_shell.h"
#include "util/text_file.h"
#include "volumes/form_draw_v_sheet.h"

namespace kestrel {
namespace {

// One run of one command on its own workbook, behind a counting host.
struct Bench {
  Bench() { session.HostApplication = &host; }
  CommandContext Context() { return {*session.HostApplication, {ui, shell, dialogs}}; }
  MemoryWorksheet& Sheet() { return book.Active(); }
  // The calls so far, by name.
  std::vector<std::string> Log() {
    std::vector<std::string> names;
    for (HostCall call : host.Counter().Log()) names.emplace_back(HostCallName(call));
    return names;
  }

  MemoryWorkbook book;
  CountingApplication host{book};
  Session session;
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell;
};

// How a command ends when the host refuses a call.
enum class OnFault {
  EndsAtOnce,       // nothing after the refused call reaches the sheet
  SkipsTheStep,     // the refused step is skipped and the command runs to its tidy-up
  EndsWithMessage,  // ends at once with the given message, or skips silently in the quiet steps
};

struct Sweep {
  const char* name;
  const char* callback;
  std::function<void(Bench&, const std::string& file)> setUp;
  OnFault onFault;
  const char* message = "";  // the failure message; empty for a silent end
};

void FillRows(Bench& b, std::initializer_list<std::array<double, 4>> rows, int columns) {
  int r = 1;
  for (const auto& row : rows) {
    for (int c = 0; c < columns; ++c) b.Sheet().SetValue({r, c + 1}, row[c]);
    ++r;
  }
}

void Survey(Bench& b) {
  const struct {
    const char* name;
    double level;
    CellValue station;
    double offset;
  } points[] = {{"p1", 10, 12240.3, -2}, {"p2", 11, 12230.2, 1}, {"p3", 12, 12240.3, 3},
                {"p4", 13, 12230.2, -4}, {"p5", 14, 12250.4, 0}, {"p6", 15, 12230.1, 2}};
  int r = 1;
  for (const auto& p : points) {
    b.Sheet().SetValue({r, 1}, p.name);
    b.Sheet().SetValue({r, 4}, p.level);
    b.Sheet().SetValue({r, 5}, p.station);
    b.Sheet().SetValue({r, 6}, p.offset);
    ++r;
  }
}

void AcceptSort(Bench& b) {
  b.dialogs.Queue([](Presenter& p) { dynamic_cast<FormSort&>(p).OnCommandOKClick(); });
}

// Sections in F (station) with points (G offset, D level), not yet in offset order.
void SortedSurvey(Bench& b) {
  const double rows[][3] = {{100, 6, 11}, {100, -4, 10}, {100, 2, 12}, {0, 0, 0}, {120, 3, 22}, {120, -3, 20}};
  for (int r = 1; r <= 6; ++r) {
    if (rows[r - 1][0] == 0) continue;
    b.Sheet().SetValue({r, 1}, "p" + std::to_string(r));
    b.Sheet().SetValue({r, 4}, rows[r - 1][2]);
    b.Sheet().SetValue({r, 5}, rows[r - 1][0] + 0.3);
    b.Sheet().SetValue({r, 6}, rows[r - 1][0]);
    b.Sheet().SetValue({r, 7}, rows[r - 1][1]);
  }
  b.Sheet().SetValue({2, 20}, "the user's own column");
}

const Sweep kSweeps[] = {
    {"sort", "FunHdmOrder",
     [](Bench& b, const std::string&) {
       Survey(b);
       AcceptSort(b);
     },
     OnFault::EndsAtOnce},
    {"sort again", "FunHdmOrder",
     [](Bench& b, const std::string&) {
       Survey(b);
       b.Sheet().SetValue({1, 7}, "sorted before");
       b.ui.QueueAnswer(MessageAnswer::Yes);
       AcceptSort(b);
     },
     OnFault::EndsAtOnce},
    {"sort cleaning stations", "FunHdmOrder",
     [](Bench& b, const std::string&) {
       Survey(b);
       b.Sheet().SetValue({3, 5}, "K12+240.3");
       b.ui.QueueAnswer(MessageAnswer::Yes);
       AcceptSort(b);
     },
     OnFault::EndsAtOnce},
    {"draw", "FunHdmDrawData",
     [](Bench& b, const std::string&) {
       SortedSurvey(b);
       b.dialogs.Queue([](Presenter& p) { dynamic_cast<FormSet&>(p).OnCommandOKClick(); });
     },
     OnFault::SkipsTheStep},
    {"volume", "FunhdmDrawSheet",
     [](Bench& b, const std::string&) {
       b.dialogs.Queue([](Presenter& p) {
         auto& form = dynamic_cast<FormDrawVSheet&>(p);
         form.TextDrawDMnumber.text = "3";
         form.ComboVMode.listIndex = 2;
         form.OnCommandOKClick();
       });
     },
     OnFault::EndsWithMessage, "有错误，提示有错误！"},
    {"save dictionary", "FunSaveDicFile",
     [](Bench& b, const std::string& file) {
       FillRows(b, {{12230, 1000, 500, 310.5}, {12240, 1100, 500, 311.2}}, 4);
       b.ui.QueueSaveFile(file);
     },
     OnFault::EndsWithMessage, "断面位置字典文件保存不成功！"},
    {"save profile", "FunSaveSQXFile",
     [](Bench& b, const std::string& file) {
       FillRows(b, {{0, 100, 0, 0}, {300, 103, 6000, 0}, {700, 99, 0, 0}}, 3);
       b.ui.QueueSaveFile(file);
     },
     OnFault::EndsWithMessage, "纵断面文件保存失败！"},
    {"save slopes", "FunSaveHPJKFile",
     [](Bench& b, const std::string& file) {
       FillRows(b, {{0, -2, 2, 0}, {100, -2, 2, 0}}, 3);
       b.ui.QueueSaveFile(file);
     },
     OnFault::EndsWithMessage, ""},
};

// The calls that put the host's switches back after a command, whatever happened in it.
bool Restores(const std::string& operation) {
  return operation == "SetScreenUpdating" || operation == "SetDisplayAlerts";
}

// The last call that was not one of those.
std::string LastWork(const std::vector<std::string>& log) {
  auto it = std::find_if(log.rbegin(), log.rend(), [](const std::string& op) { return !Restores(op); });
  return it == log.rend() ? std::string() : *it;
}

class FaultSweepTest : public ::testing::TestWithParam<Sweep> {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
      if (c == '/') c = '-';
    folder_ = std::filesystem::temp_directory_path() / ("kestrel-fault-sweep-" + name);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::unique_ptr<Bench> Run(std::optional<long> failAt, const std::string& file) {
    auto b = std::make_unique<Bench>();
    GetParam().setUp(*b, file);
    if (failAt) b->host.Counter().FailOnCall(*failAt);
    CommandContext context = b->Context();
    EXPECT_NO_THROW(RunRibbonCommand(*FindRibbonCommand(GetParam().callback), context, &context.host, b->session));
    return b;
  }

  std::filesystem::path folder_;
};

TEST_P(FaultSweepTest, AFailureAtEachHostCallEndsAsDesigned) {
  const Sweep& sweep = GetParam();
  const std::string cleanFile = PathToUtf8(folder_ / "clean.out");
  std::unique_ptr<Bench> clean = Run(std::nullopt, cleanFile);
  const std::vector<std::string> cleanLog = clean->Log();
  ASSERT_GT(cleanLog.size(), 1u);

  for (long k = 1; k <= static_cast<long>(cleanLog.size()); ++k) {
    const std::string failing = cleanLog[k - 1];
    SCOPED_TRACE(std::string(sweep.name) + ": call " + std::to_string(k) + " (" + failing + ") refused");
    const std::string file = PathToUtf8(folder_ / ("run" + std::to_string(k) + ".out"));
    std::unique_ptr<Bench> b = Run(k, file);
    const std::vector<std::string>& log = b->Log();
    ASSERT_GE(log.size(), static_cast<size_t>(k));
    if (failing == "View" && k == 1) {
      // A host that cannot say what it shows: the command runs as in the clean run.
      EXPECT_EQ(log, cleanLog);
      EXPECT_EQ(b->ui.Messages().size(), clean->ui.Messages().size());
      continue;
    }
    if (failing == "SetScreenUpdating" && k == 2) {
      // Screen updating stays on, so nothing switches it back; the command runs all the same.
      ASSERT_EQ(cleanLog.back(), "SetScreenUpdating");
      EXPECT_EQ(log, std::vector<std::string>(cleanLog.begin(), cleanLog.end() - 1));
      EXPECT_EQ(b->ui.Messages().size(), clean->ui.Messages().size());
      EXPECT_TRUE(b->book.ScreenUpdating());
      continue;
    }
    // Everything up to the refused call happened as in the clean run.
    EXPECT_TRUE(std::equal(log.begin(), log.begin() + k, cleanLog.begin()));
    // A switch that the host refuses to put back stays as it is; nothing else is wrong.
    if (Restores(failing)) {
      EXPECT_EQ(b->ui.Messages().size(), clean->ui.Messages().size());
      continue;
    }
    bool endedAtOnce = true;
    for (size_t i = k; i < log.size(); ++i) endedAtOnce = endedAtOnce && Restores(log[i]);
    EXPECT_TRUE(b->book.ScreenUpdating());
    EXPECT_TRUE(b->book.DisplayAlerts());

    // The command's own messages, and the ribbon's report of the refusal, which comes last and
    // only where the command said nothing of it.
    std::vector<std::string> newMessages;
    for (size_t i = 0; i < b->ui.Messages().size(); ++i) {
      if (i >= clean->ui.Messages().size() || b->ui.Messages()[i].text != clean->ui.Messages()[i].text)
        newMessages.push_back(b->ui.Messages()[i].text);
    }
    const std::string reportStart = "“" + std::string(FindRibbonCommand(sweep.callback)->label) + "”未能完成：";
    const bool reported = !newMessages.empty() && newMessages.back().starts_with(reportStart) &&
                          b->ui.Messages().back().title == "失败";
    if (reported) newMessages.pop_back();
    EXPECT_TRUE(reported || !newMessages.empty()) << "the refusal of " << failing << " reached the user";
    EXPECT_FALSE(reported && !newMessages.empty()) << "reported twice";
    switch (sweep.onFault) {
      case OnFault::EndsAtOnce:
        EXPECT_TRUE(endedAtOnce);
        EXPECT_TRUE(newMessages.empty());
        break;
      case OnFault::SkipsTheStep: {
        EXPECT_TRUE(newMessages.empty());
        // Once the output is being written (its first step clears the notes of the block), every
        // later step still runs: it ends selecting I1.
        auto writes = [](const std::string& op) { return op == "ClearNotes"; };
        const bool writing = std::any_of(log.begin(), log.begin() + k, writes);
        if (writing && failing != "Select") {
          EXPECT_EQ(b->Sheet().Selection(), RangeRef::Cell(1, 9));
        }
        // Before that a refusal leaves the sheet as it was, the user's columns included.
        if (std::none_of(log.begin(), log.end(), writes)) {
          EXPECT_EQ(b->Sheet().Value({2, 20}), CellValue("the user's own column"));
          EXPECT_TRUE(b->Sheet().Value({1, 11}).IsEmpty());
        }
        break;
      }
      case OnFault::EndsWithMessage:
        if (!newMessages.empty()) {
          EXPECT_EQ(newMessages, std::vector<std::string>{sweep.message});
          EXPECT_TRUE(endedAtOnce);
        } else if (!std::string(sweep.message).empty()) {
          // A quiet step: skipped, and the command went on to its last step.
          EXPECT_EQ(LastWork(log), LastWork(cleanLog));
        } else {
          EXPECT_TRUE(endedAtOnce);  // a silent end
        }
        // A file command refused by the host writes no file at all.
        if (sweep.callback != std::string("FunhdmDrawSheet")) {
          EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(file)));
        }
        break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, FaultSweepTest, ::testing::ValuesIn(kSweeps),
                         [](const ::testing::TestParamInfo<Sweep>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace kestrel
