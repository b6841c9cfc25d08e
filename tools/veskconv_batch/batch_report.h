// What veskconv-batch tells the user on stderr: the message boxes the window
// shows, its own refusals in the same form, the inputs under way and the
// summary. On a terminal one status line shows every input under way and is
// redrawn in place; the lasting lines (messages, each input's end) are
// written above it. Elsewhere only the lasting lines are written. Any thread.
#pragma once

#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BatchReport final : public BatchSink {
 public:
  BatchReport(std::FILE* stream, bool terminal, const std::vector<Job>& jobs);
  ~BatchReport() override;

  JobReport& job(int index) override;
  // The input's line: with its output named when it was converted.
  void ended(int index, const JobResult& result) override;
  void pictured(int index, bool made) override;

  int converted() const;
  // --preview: pictures that were due and not made.
  int picturesMissing() const;
  void summary(double seconds);
  // A stop: every input not yet ended said to be stopped unfinished, or not
  // started; nothing is written after.
  void stopped();

 private:
  class Entry;
  enum class Stage { Waiting, Counting, Converting, Ended };

  void update(int index, Stage stage, unsigned long pings, int percent);
  void message(const std::string& caption, const std::string& text);
  std::string lineOf(int index) const;
  std::string statusLine() const;
  // Writes a lasting line, the status line wiped before and drawn again after.
  void writeLasting(const std::string& line);
  void drawStatus();

  std::FILE* stream_;
  bool terminal_;
  std::vector<Job> jobs_;
  std::vector<std::unique_ptr<Entry>> entries_;
  mutable std::mutex mutex_;
  bool drawn_ = false;  // the status line is on the terminal without its line feed
  bool closed_ = false;
  int converted_ = 0;
  int picturesMissing_ = 0;
  std::uint64_t traces_ = 0;
  std::uint64_t bytes_ = 0;
};
