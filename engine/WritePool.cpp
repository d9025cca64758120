#include "engine/WritePool.h"

namespace tw {

WritePool::WritePool(size_t workers, size_t budgetBytes, size_t maxJobs)
    : m_workerCount(workers == 0 ? 1 : workers), m_budget(budgetBytes), m_maxJobs(maxJobs == 0 ? 1 : maxJobs) {
  m_flushes.resize(m_workerCount);
}

WritePool::~WritePool() {
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

std::shared_ptr<const WritePool::Job> WritePool::submit(platform::LoadedFile file, std::string content,
                                                        platform::WriteBackOptions options) {
  auto job = std::make_shared<Job>();
  job->bytes = file.content.size() + content.size();
  job->file = std::move(file);
  job->content = std::move(content);
  job->options = options;
  {
    std::unique_lock lock(m_mutex);
    if (m_threads.empty()) {
      for (size_t i = 0; i < m_workerCount; ++i) m_threads.emplace_back(&WritePool::work, this, i);
    }
    m_finished.wait(lock, [&] {
      return m_inFlightJobs == 0 ||
             (m_inFlightJobs < m_maxJobs && m_inFlightBytes + job->bytes <= m_budget);
    });
    m_inFlightBytes += job->bytes;
    ++m_inFlightJobs;
    m_queue.push_back(job);
  }
  m_wake.notify_one();
  if (job->bytes > m_budget) wait(*job);
  return job;
}

bool WritePool::isDone(const Job& job) {
  std::lock_guard lock(m_mutex);
  return job.done;
}

void WritePool::wait(const Job& job) {
  std::unique_lock lock(m_mutex);
  m_finished.wait(lock, [&] { return job.done; });
}

platform::IoStatus WritePool::flushFolders() {
  std::unique_lock lock(m_mutex);
  m_finished.wait(lock, [&] { return m_inFlightJobs == 0; });
  platform::IoStatus first;
  for (platform::FolderFlushes& flushes : m_flushes) {
    platform::IoStatus status = flushes.flush();
    if (!status && first) first = status;
  }
  return first;
}

void WritePool::work(size_t worker) {
  while (true) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
      if (m_queue.empty()) return;
      job = std::move(m_queue.front());
      m_queue.pop_front();
    }
    job->options.deferredFlushes = &m_flushes[worker];
    platform::IoStatus status = platform::writeBack(job->file, job->content, job->options);
    {
      std::lock_guard lock(m_mutex);
      job->status = std::move(status);
      // The contents are not needed any more; give their memory back at once.
      std::string().swap(job->content);
      std::string().swap(job->file.content);
      job->done = true;
      m_inFlightBytes -= job->bytes;
      --m_inFlightJobs;
    }
    m_finished.notify_all();
  }
}

}  // namespace tw
