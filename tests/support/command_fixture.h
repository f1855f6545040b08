// CommandFixture: a session on an in-memory workbook with scripted user, dialogs and shell.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "addin/commands.h"
#include "workbook/memory_workbook.h"
#include "host_doubles/scripted_dialogs.h"
#include "host_doubles/scripted_ui.h"
#include "addin/session.h"
#include "support/recording_shell.h"
#include "util/text_file.h"

namespace kestrel {

class CommandFixture : public ::testing::Test {
 protected:
  CommandFixture() { session.HostApplication = &book; }

  MemoryWorksheet& Sheet() { return book.Active(); }
  CommandContext Context() { return {*session.HostApplication, {ui, shell, dialogs}}; }
  // The section dialogs as the add-in keeps them in its session.
  FormSort& SortDialog() {
    if (!session.SortDialog) session.SortDialog = std::make_unique<FormSort>(session.Sections, ui, shell);
    return *session.SortDialog;
  }
  FormSet& DrawDialog() {
    if (!session.DrawDialog) session.DrawDialog = std::make_unique<FormSet>(session.Sections, ui, shell, nullptr, nullptr);
    return *session.DrawDialog;
  }
  FormDrawVSheet& VolumeDialog() {
    if (!session.VolumeDialog) session.VolumeDialog = std::make_unique<FormDrawVSheet>(session.Sections, ui, shell);
    return *session.VolumeDialog;
  }

  // A folder of its own for each test, removed afterwards.
  std::string TempPath(const std::string& name) {
    if (tempDir_.empty()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      tempDir_ = std::filesystem::temp_directory_path() /
                 (std::string("kestrel-") + info->test_suite_name() + "-" + info->name());
      std::filesystem::remove_all(tempDir_);
      std::filesystem::create_directories(tempDir_);
    }
    return PathToUtf8(tempDir_ / PathFromUtf8(name));
  }
  ~CommandFixture() override {
    if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_);
  }

  MemoryWorkbook book;
  Session session;
  ScriptedUi ui;
  ScriptedDialogs dialogs;
  RecordingShell shell{"/opt/kestrel"};

 private:
  std::filesystem::path tempDir_;
};

}  // namespace kestrel
