#include "tools/veskconv_batch/output_publisher.h"

#include "tools/segy_preview/preview_texts.h"
#include "tools/segy_preview/segy_preview.h"
#include "tools/veskconv_batch/batch_texts.h"
#include "tools/veskconv_batch/interruption.h"
#include "tools/veskconv_batch/output_names.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Syncs under way at once; a few let the file system commit them together.
constexpr int SYNC_THREADS = 4;

// The reader names the file it read: the pending one, which the user never
// sees. Messages name the output.
std::string named(std::string problem, const std::string& written, const std::string& output) {
  for (std::size_t at = problem.find(written); at != std::string::npos;
       at = problem.find(written, at + output.size())) {
    problem.replace(at, written.size(), output);
  }
  return problem;
}

}  // namespace

// Written and synced, or what went wrong; put in place after the output.
struct OutputPublisher::DrawnPicture {
  PendingOutput pending;
  Preview preview;
};

OutputPublisher::OutputPublisher(BatchSink& sink) : sink_(sink) {
  for (int i = 0; i < SYNC_THREADS; ++i) threads_.emplace_back([this] { work(); });
}

OutputPublisher::~OutputPublisher() {
  finish();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void OutputPublisher::submit(int index, const Job& job, std::unique_ptr<PendingOutput> pending,
                             const JobResult& result) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(Item{index, job, std::move(pending), result, State::Waiting, false, nullptr});
  }
  changed_.notify_all();
}

void OutputPublisher::finish() {
  std::set<std::string> folders;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return items_.empty() && busy_ == 0; });
    folders.swap(folders_);
  }
  for (const std::string& folder : folders) PendingOutput::syncFolder(folder);
}

void OutputPublisher::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    Item* next = nullptr;
    changed_.wait(lock, [&] {
      for (Item& item : items_) {
        if (item.state == State::Waiting) {
          next = &item;
          return true;
        }
      }
      return stopping_;
    });
    if (next == nullptr) return;
    // Items are only ever removed from the front, by the thread placing them,
    // once synced: this one stays where it is while it syncs.
    next->state = State::Syncing;
    ++busy_;
    lock.unlock();
    std::thread drawing;
    if (next->result.converted && !next->job.picture.empty() && next->job.pictureRefusal.empty()) {
      drawing = std::thread([next] { next->picture = drawPicture(next->job, next->pending->path()); });
    }
    std::string why;
    const bool synced = next->pending->sync(&why);
    if (drawing.joinable()) drawing.join();
    if (!synced)
      sink_.job(next->index).error(formatted(OUTPUT_NOT_PUT_IN_PLACE, next->job.output.c_str(), why.c_str()));
    lock.lock();
    next->syncFailed = !synced;
    next->state = State::Synced;
    putSyncedInPlace(lock);
    --busy_;
    changed_.notify_all();
  }
}

void OutputPublisher::putSyncedInPlace(std::unique_lock<std::mutex>& lock) {
  if (placing_) return;
  placing_ = true;
  while (!items_.empty() && items_.front().state == State::Synced) {
    Item item = std::move(items_.front());
    items_.pop_front();
    lock.unlock();
    putInPlace(std::move(item));  // gone before the lock is taken again
    lock.lock();
  }
  placing_ = false;
}

void OutputPublisher::putInPlace(Item item) {
  JobReport& report = sink_.job(item.index);
  JobResult result = item.result;
  // The rename and its report together: a stop says "converted" of exactly
  // the outputs that are in place.
  withoutInterruption([&] {
    std::string why;
    if (item.syncFailed) {
      result.converted = false;
    } else if (replaceable(item.job.output) != Replaceable::Yes) {
      // Held elsewhere since it was checked: the window could not replace it now.
      report.error(formatted(SEGY_OPEN_ERROR, item.job.output.c_str()));
      report.error(formatted(OUTPUT_LEFT_AS_IT_WAS, item.job.output.c_str()));
      result.converted = false;
    } else if (!item.pending->putInPlace(&why)) {
      report.error(formatted(OUTPUT_NOT_PUT_IN_PLACE, item.job.output.c_str(), why.c_str()));
      result.converted = false;
    } else {
      placed(item.pending->folder());
    }
    item.pending.reset();
    sink_.ended(item.index, result);
  });
  if (result.converted && !item.job.picture.empty()) sink_.pictured(item.index, publishPicture(item));
}

void OutputPublisher::placed(const std::string& folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.insert(folder);
}

// From the file as written, read back: the picture also proves that it
// reads. Synced here, so that its sync too runs beside the output's.
std::shared_ptr<OutputPublisher::DrawnPicture> OutputPublisher::drawPicture(const Job& job,
                                                                            const std::string& written) {
  auto drawn = std::make_shared<DrawnPicture>();
  Preview& preview = drawn->preview;
  std::string problem;
  if (!drawn->pending.create(job.picture, &problem)) {
    preview.problem = formatted(PICTURE_NOT_WRITTEN, job.picture.c_str(), problem.c_str());
  } else if (std::FILE* picture = drawn->pending.openForWriting(&problem); picture == nullptr) {
    preview.problem = formatted(PICTURE_NOT_WRITTEN, job.picture.c_str(), problem.c_str());
  } else {
    preview = writePreview(written, picture, job.picture);
    preview.problem = named(preview.problem, written, job.output);
    const bool closed = std::fclose(picture) == 0;
    if (!closed) problem = std::strerror(errno);
    if (preview.status == PreviewStatus::Written && !(closed && drawn->pending.sync(&problem))) {
      preview.status = PreviewStatus::Failed;
      preview.problem = formatted(PICTURE_NOT_WRITTEN, job.picture.c_str(), problem.c_str());
    }
  }
  return drawn;
}

// Published as the SEG-Y file is, once that is in place.
bool OutputPublisher::publishPicture(const Item& item) {
  JobReport& report = sink_.job(item.index);
  const Job& job = item.job;
  if (!job.pictureRefusal.empty()) {
    report.error(job.pictureRefusal);
    return false;
  }
  const char* why = nullptr;
  switch (replaceable(job.picture)) {
    case Replaceable::Yes:
      break;
    case Replaceable::NotAFile:
      why = PICTURE_NOT_A_FILE;
      break;
    case Replaceable::Folder:
      why = PICTURE_IS_FOLDER;
      break;
    case Replaceable::Held:
      why = PICTURE_HELD;
      break;
  }
  if (why != nullptr) {
    report.error(formatted(PICTURE_NOT_WRITTEN, job.picture.c_str(), why));
    return false;
  }
  DrawnPicture& drawn = *item.picture;
  Preview& preview = drawn.preview;
  PendingOutput& pending = drawn.pending;
  if (std::string problem; preview.status == PreviewStatus::Written && !pending.putInPlace(&problem)) {
    preview.status = PreviewStatus::Failed;
    preview.problem = formatted(PICTURE_NOT_WRITTEN, job.picture.c_str(), problem.c_str());
  }
  switch (preview.status) {
    case PreviewStatus::Written:
      placed(pending.folder());
      report.message(job.input,
                     formatted(PICTURE_WRITTEN, preview.geometry.width, preview.geometry.height, job.picture.c_str()));
      return true;
    case PreviewStatus::NoTraces:
      report.message(job.input, formatted(PICTURE_NO_TRACES, job.output.c_str()));
      return true;
    case PreviewStatus::Failed:
      break;
  }
  // A picture of an earlier run would now stand beside a SEG-Y file it does
  // not show; this run would have replaced it.
  if (removeReplaceable(job.picture)) {
    report.error(formatted(EARLIER_PICTURE_REMOVED, preview.problem.c_str(), job.picture.c_str()));
  } else {
    report.error(preview.problem);
  }
  return false;
}
