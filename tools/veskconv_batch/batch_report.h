// What veskconv-batch tells the user on stderr: the message boxes the
// window shows, its own refusals in the same form, one progress line per
// input (redrawn in place on a terminal, one plain line otherwise) and the
// summary. Main thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class BatchReport {
 public:
  BatchReport(std::FILE* stream, bool terminal);

  void beginInput(const std::string& input);
  // The ping count scan runs: shown on a terminal only.
  void counting();
  // The conversion of `pings` sonar pings runs.
  void converting(unsigned long pings);
  // The progress bar moved; the line shows the highest percentage of the stage.
  void progress(int percent);
  // Ends the input's line: with the output named when it was converted.
  void endInput(bool converted, const std::string& output);

  // "INPUT: text", one line about the input after its conversion.
  void note(const std::string& text);

  // "CAPTION: text", one line (line feeds of the text become blanks).
  void message(const std::string& caption, const std::string& text);
  void error(const std::string& text);

  void summary(int converted, int inputs, std::uint64_t traces, std::uint64_t bytes, double seconds);

 private:
  enum class Stage { None, Counting, Converting };
  std::string lineText() const;
  void draw();
  void closeLine(const std::string& suffix);

  std::FILE* stream_;
  bool terminal_;
  std::string input_;
  Stage stage_ = Stage::None;
  unsigned long pings_ = 0;
  int percent_ = 0;
  bool drawn_ = false;  // a line is on the terminal without its line feed
};
