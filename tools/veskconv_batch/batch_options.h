// The command line of veskconv-batch: what to convert, where to, and with
// which of the window's options. Any thread; no state.
#pragma once

#include <string>
#include <vector>

// A channel set as the window offers it: the box a user would click.
struct ChannelSet {
  const char* name;  // as given to --channels
  int box;           // control id of its box
  bool single;       // ch1 ... ch8: the only sets Reverse Samples Order applies to
};

// Every set, in the order of the window's table.
const std::vector<ChannelSet>& channelSets();

struct BatchOptions {
  std::vector<std::string> inputs;
  const ChannelSet* channels = nullptr;  // nullptr only with info
  std::string output;                    // empty: each output beside its input
  bool outputIsFolder = false;           // output names a folder, not a file
  bool bigEndian = false;
  bool sensorPositions = false;
  bool reverseSamples = false;
  bool info = false;
  int jobs = 1;               // processes converting at once
  bool worker = false;        // a worker of another batch: jobs on stdin, reports on stdout
  bool preview = false;       // a picture of each SEG-Y file written
  std::string previewFolder;  // empty: each picture beside its SEG-Y file
};

enum class CommandLineStatus { Run, Help, Version, UsageError };

struct CommandLine {
  CommandLineStatus status = CommandLineStatus::UsageError;
  BatchOptions options;
  std::string error;  // for UsageError: what is wrong, one line
};

// Looks at the file system only to tell whether --output, and the argument
// after --preview, is a folder.
CommandLine parseCommandLine(int argc, const char* const* argv);

extern const char USAGE_TEXT[];
