// One run of the program for one input, from start-up to the quit
// handshake, driven as a user drives the window: controls clicked by id,
// the file dialogs answered with paths. Every message box the program shows
// goes to the report as it is recorded; the progress bar feeds the report's
// progress line. Main thread; one session at a time (the program's state is
// one static instance).
#pragma once

#include "platform/headless/headless_front_end.h"
#include "tools/veskconv_batch/batch_options.h"
#include "tools/veskconv_batch/job_report.h"

#include <cstdint>
#include <string>

class WindowSession {
 public:
  WindowSession(HeadlessFrontEnd& ui, JobReport& report);
  ~WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // Start-up until the program is at rest. False when it could not start.
  bool start();
  // BROWSE of the VSK file, its dialog answered with input as it stands; the
  // survey and the ping count run. True when the file was accepted.
  bool openInput(const std::string& input);
  // BROWSE of the SEG-Y file, its dialog answered with output as it stands
  // (created at once, an existing file emptied). True when the file is ready.
  bool openOutput(const std::string& output);
  // The channel box, then the byte order, the position source and Reverse
  // Samples Order as the options ask. True when every mark shows them.
  bool chooseOptions(const BatchOptions& options);
  // "Verbose" clicked when its mark differs from on. True when it shows on.
  bool setProcessingInfo(bool on);
  // PROCESS, until the run has ended. True when it converted the input.
  bool process();
  // EXIT and the quit handshake, then the program's state reset. False when
  // the program did not come to its end (its threads may still run).
  bool quit();

  // The window's texts after the ping count, and its channel choice.
  std::string pingCountText() const;
  std::string channelListText() const;
  unsigned long pingCount() const;
  bool offers(const ChannelSet& set) const;

  // What the last run wrote.
  std::uint64_t bytesWritten() const;
  std::uint32_t tracesWritten() const;

  HWND window() const { return window_; }
  // Until the program has nothing left to do; a long scan or conversion
  // takes many rounds.
  void settle();
  // A click as the user makes it, then settle. False when the control did
  // not take it (disabled, or not there).
  bool click(int controlId);
  bool checked(int controlId) const;

 private:
  // Hands the boxes recorded since the last call to the report; true when
  // one of them was an "ERROR" box.
  bool reportBoxes();
  // The dialog took no name and said nothing: tell why.
  void reportNameNotTaken(const std::string& typed);

  HeadlessFrontEnd& ui_;
  JobReport& report_;
  HWND window_ = nullptr;
  std::size_t boxesReported_ = 0;
};
