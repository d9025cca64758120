#pragma once
// Writes the changed files of a run in the background, several at a time. Each write-back
// waits for its data to reach the disk before the swap; letting several of them wait at once
// lets the file system put their flushes together instead of paying for each in turn. The
// run still decides everything in list order on its own thread and records each file only
// once its write has finished.

#include "platform/FileReplace.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tw {

class WritePool {
public:
  struct Job {
    platform::LoadedFile file;
    std::string content;
    platform::WriteBackOptions options;
    platform::IoStatus status;
    size_t bytes = 0;
    bool done = false;
  };

  // `workers` threads (started at the first write); at most `budgetBytes` of old and new
  // contents and `maxJobs` files waiting at once. A file bigger than the budget is written
  // alone, and submit returns only once it is written.
  WritePool(size_t workers, size_t budgetBytes, size_t maxJobs);
  ~WritePool();
  WritePool(const WritePool&) = delete;
  WritePool& operator=(const WritePool&) = delete;

  // Hands one write-back over; blocks while the budget is spent.
  std::shared_ptr<const Job> submit(platform::LoadedFile file, std::string content,
                                    platform::WriteBackOptions options);
  bool isDone(const Job& job);
  void wait(const Job& job);
  // After every job is done: flushes every folder that a write put off flushing.
  platform::IoStatus flushFolders();

private:
  void work(size_t worker);

  size_t m_workerCount;
  size_t m_budget;
  size_t m_maxJobs;
  std::mutex m_mutex;
  std::condition_variable m_wake;      // workers: a job or the end
  std::condition_variable m_finished;  // the run: a job is done
  std::deque<std::shared_ptr<Job>> m_queue;
  size_t m_inFlightBytes = 0;
  size_t m_inFlightJobs = 0;
  bool m_stopping = false;
  std::vector<std::thread> m_threads;
  std::vector<platform::FolderFlushes> m_flushes;  // one per worker
};

}  // namespace tw
