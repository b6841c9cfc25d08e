// A fixture that runs the whole program on the headless front end, on the
// test's own thread: a temporary folder for its files and settings
// (the system's settings location points into it), the start-up, and what a user does.
#pragma once

#include "platform/headless/headless_front_end.h"
#include "vsktools/vsk_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct ConverterContext;

// Holds one worker thread inside its next file read or write until open():
// a test then acts on the window while that worker's work is surely under way
// (a worker's control updates no longer wait for the window's thread, so
// nothing else keeps the two in step).
class WorkerGate {
 public:
  enum class At { Read, Write };
  WorkerGate(DWORD threadId, At at);
  ~WorkerGate();  // opens, and takes the hook away
  WorkerGate(const WorkerGate&) = delete;
  WorkerGate& operator=(const WorkerGate&) = delete;
  bool held() const;
  void open();

 private:
  // Shared with the hook: a worker that took the hook just before it was
  // taken away may still call it after the gate is gone.
  struct State {
    explicit State(DWORD thread) : threadId(thread) {}
    void holdHere();
    const DWORD threadId;
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    bool open = false;
  };
  const At at_;
  std::shared_ptr<State> state_;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program and lets it settle; a program still running at the
  // end of the test is closed and its state reset.
  void start();
  // EXIT, until the quit message; then the program's state is reset.
  void quit();
  void settle();
  // The main thread's own messages and timers, until it has none left,
  // whatever the workers are doing (settle waits for them too).
  void pump();
  // pump until the gate holds its worker; false when it never came.
  bool pumpUntilHeld(const WorkerGate& gate);

  std::string path(const std::string& name) const;
  std::string settingsText() const;
  void writeSettings(const std::string& text) const;
  std::uintmax_t fileSize(const std::string& file) const;

  // A survey written with the writer: `pings` pings of every channel of spec.
  std::string writeSurvey(const std::string& name, const vsk::FileSpec& spec, int pings, bool otherRecords = false);
  // BROWSE and the dialog answered with file (or cancelled), until idle.
  void chooseSonarFile(const std::string& file);
  void chooseSegyFile(const std::string& file);
  void cancelSonarFile();
  // A survey accepted, a SEG-Y file ready, a channel box clicked.
  void prepare(const std::string& sonarFile, const std::string& segyFile, int channelBox);
  void click(int controlId);
  void clickMenu(unsigned itemId);

  std::string text(int controlId) const { return ui.controlText(window, controlId); }
  bool enabled(int controlId) const { return ui.controlEnabled(window, controlId); }
  bool checked(int controlId) const;
  std::vector<MessageBoxRecord> boxes() const { return ui.messageBoxes(); }
  std::size_t beepCount() const { return ui.beeps().size(); }
  ConverterContext& context() const;

  HeadlessFrontEnd ui;
  HWND window = nullptr;
  std::filesystem::path folder;
  std::filesystem::path settingsFolder;  // where the settings file is
};
