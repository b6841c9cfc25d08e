// Puts finished outputs in place on threads of their own, so that waiting for
// the disk overlaps the next conversion: several outputs are synced at once
// (the file system commits them together), then each is renamed into place
// and its job's end reported, in the order they were submitted. The folders
// that received outputs are synced once, at finish(). Main thread creates,
// submits and finishes it.
#pragma once

#include "tools/veskconv_batch/batch_plan.h"
#include "tools/veskconv_batch/job_report.h"
#include "tools/veskconv_batch/pending_output.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class OutputPublisher {
 public:
  explicit OutputPublisher(BatchSink& sink);
  ~OutputPublisher();  // finishes
  OutputPublisher(const OutputPublisher&) = delete;
  OutputPublisher& operator=(const OutputPublisher&) = delete;

  // A converted job: its output is checked once more, put in place, and the
  // job's end reported; then its picture, when one is due, is published as
  // the output was. The picture is drawn from the output as written, read
  // back while the output syncs (the wait the disk imposes anyway).
  void submit(int index, const Job& job, std::unique_ptr<PendingOutput> pending, const JobResult& result);
  // Waits until everything submitted is in place and its folder synced.
  void finish();

 private:
  enum class State { Waiting, Syncing, Synced };
  struct DrawnPicture;
  struct Item {
    int index;
    Job job;
    std::unique_ptr<PendingOutput> pending;
    JobResult result;
    State state = State::Waiting;
    bool syncFailed = false;
    std::shared_ptr<DrawnPicture> picture;  // drawn beside the sync, when due
  };
  void work();
  // The oldest items whose sync is over, renamed and reported in order.
  void putSyncedInPlace(std::unique_lock<std::mutex>& lock);
  void putInPlace(Item item);
  void placed(const std::string& folder);
  static std::shared_ptr<DrawnPicture> drawPicture(const Job& job, const std::string& written);
  bool publishPicture(const Item& item);

  BatchSink& sink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> items_;
  int busy_ = 0;
  bool placing_ = false;
  bool stopping_ = false;
  std::set<std::string> folders_;
  std::vector<std::thread> threads_;
};
