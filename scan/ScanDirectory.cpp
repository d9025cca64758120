#include "scan/ScanDirectory.h"

#include "platform/FileIo.h"
#include "scan/MaskMatch.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tw {

namespace {

using Clock = std::chrono::system_clock;

// How many names the walk takes between two questions to its observer whether to stop.
constexpr std::size_t kCancelCheckEvery = 256;

int64_t dayNumber(const LocalDate& date) {
  using namespace std::chrono;
  return sys_days(year(date.year) / month(static_cast<unsigned>(date.month)) /
                  day(static_cast<unsigned>(date.day)))
      .time_since_epoch()
      .count();
}

LocalDate localDateOfSeconds(time_t seconds) {
  std::tm parts{};
  if (::localtime_r(&seconds, &parts) == nullptr) return {};
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

// One name of a directory listing, with what is known about it so far.
struct Entry {
  std::string name;
  unsigned char type;  // as the listing gives it (platform::FolderEntry)
  enum : signed char { NotYet, Ok, Failed } statState = NotYet;
  struct stat target {};  // the file a symbolic link leads to, or the file itself
};

class Walker {
 public:
  Walker(const ScanCriteria& criteria, Clock::time_point now, std::vector<std::string>& found,
         std::vector<ScanProblem>* problems, ScanObserver* observer, platform::FileOps& ops)
      : m_criteria(criteria),
        m_ops(ops),
        m_found(found),
        m_problems(problems),
        m_observer(observer),
        m_nowSeconds(Clock::to_time_t(now)),
        m_today(dayNumber(localDateOf(now))),
        m_needStat(criteria.SizeOn || criteria.DateOn || criteria.AgeOn ||
                   (criteria.AttrOn && criteria.ReadOnly)) {}

  // False when the observer stopped the walk.
  bool run() {
    m_path = m_criteria.Directory;
    int fd = m_ops.open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
      problem(errno);
      return !stopped();
    }
    walk(fd);
    return !m_stopped;
  }

 private:
  bool stopped() {
    if (!m_stopped && m_observer != nullptr && m_observer->cancelRequested()) m_stopped = true;
    return m_stopped;
  }

  void problem(int errnum) {
    if (m_problems != nullptr) m_problems->push_back({m_path, platform::errorText(errnum)});
  }

  // Walks the directory open as `fd` (which it takes over) and named by m_path.
  void walk(int fd) {
    if (stopped()) {
      m_ops.close(fd);
      return;
    }
    if (m_observer != nullptr) m_observer->searching(m_path);
    if (!m_ops.readFolder(fd, m_listing)) {
      // A listing cut short yields nothing rather than an arbitrary part of the directory.
      problem(errno);
      m_ops.close(fd);
      return;
    }
    std::vector<Entry> entries;
    entries.reserve(m_listing.size());
    for (platform::FolderEntry& e : m_listing) {
      if (e.name[0] == '.') continue;  // hidden entries
      entries.push_back({std::move(e.name), e.type});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });

    const std::size_t base = m_path.size();
    if (m_path.empty() || m_path.back() != '/') m_path.push_back('/');
    const std::size_t prefix = m_path.size();

    for (const std::string& mask : m_criteria.Masks) {
      if (mask.empty()) continue;  // matches no name
      std::size_t n = 0;
      for (Entry& entry : entries) {
        if (++n % kCancelCheckEvery == 0 && stopped()) break;
        if (!matchesMask(entry.name, mask) || !isFile(fd, entry) || !passes(fd, entry) ||
            !MatchMaskExtension(entry.name, mask)) {
          continue;
        }
        m_path.resize(prefix);
        m_path += entry.name;
        m_found.push_back(m_path);
      }
    }

    if (m_criteria.Recurse) {
      for (Entry& entry : entries) {
        if (m_stopped) break;
        if (!isDirectory(fd, entry)) continue;
        m_path.resize(prefix);
        m_path += entry.name;
        // O_NOFOLLOW: a directory swapped for a symbolic link after the listing is not entered.
        int child = m_ops.openat(fd, entry.name.c_str(),
                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
        if (child < 0) {
          problem(errno);
        } else {
          walk(child);
        }
      }
    }
    m_path.resize(base);
    m_ops.close(fd);
  }

  // Follows a symbolic link to what it names; false when that cannot be found.
  bool statTarget(int fd, Entry& entry) {
    if (entry.statState == Entry::NotYet) {
      entry.statState =
          m_ops.fstatat(fd, entry.name.c_str(), &entry.target, 0) == 0 ? Entry::Ok : Entry::Failed;
    }
    return entry.statState == Entry::Ok;
  }

  bool isFile(int fd, Entry& entry) {
    if (entry.type == DT_REG) return true;
    if (entry.type != DT_LNK && entry.type != DT_UNKNOWN) return false;
    return statTarget(fd, entry) && S_ISREG(entry.target.st_mode);
  }

  bool isDirectory(int fd, Entry& entry) {
    if (entry.type == DT_DIR) return true;
    if (entry.type != DT_UNKNOWN) return false;
    struct stat own {};
    return m_ops.fstatat(fd, entry.name.c_str(), &own, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(own.st_mode);
  }

  bool passes(int fd, Entry& entry) {
    const ScanCriteria& c = m_criteria;
    // A file whose backup cannot be looked for is left out, as one that cannot be examined.
    if (c.AttrOn && c.Archive && !hasNoBackup(fd, entry)) return false;
    if (!m_needStat) return true;
    if (!statTarget(fd, entry)) return false;
    const struct stat& st = entry.target;

    if (c.SizeOn) {
      int64_t size = st.st_size;
      if (c.SizeCompare == '=' && size != c.SizeLimit) return false;
      if (c.SizeCompare == '>' && size < c.SizeLimit) return false;
      if (c.SizeCompare == '<' && size > c.SizeLimit) return false;
    }
    if (c.AttrOn && c.ReadOnly && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0) return false;

    const time_t modified = st.st_mtim.tv_sec;
    if (c.DateOn || (c.AgeOn && c.Unit != AgeUnit::None && c.Unit != AgeUnit::Hours)) {
      const LocalDate date = localDateOfSeconds(modified);
      if (c.DateOn && (date < c.DateFrom || c.DateTo < date)) return false;
      if (c.AgeOn && !youngEnough(m_today - dayNumber(date))) return false;
    }
    if (c.AgeOn && c.Unit == AgeUnit::Hours) {
      // Seconds of the modification time do not count.
      const int64_t minute = static_cast<int64_t>(modified) - (((modified % 60) + 60) % 60);
      const int64_t age = static_cast<int64_t>(m_nowSeconds) - minute;
      if (c.AgeCount <= std::numeric_limits<int64_t>::max() / 3600 && age > c.AgeCount * 3600) {
        return false;
      }
    }
    return true;
  }

  // The day-based age rule: strict, so a count of 0 days keeps what was modified today.
  bool youngEnough(int64_t days) const {
    int64_t perUnit = 1;
    switch (m_criteria.Unit) {
      case AgeUnit::Days:
        perUnit = 1;
        break;
      case AgeUnit::Weeks:
        perUnit = 7;
        break;
      case AgeUnit::Months:
        perUnit = 30;
        break;
      case AgeUnit::Years:
        perUnit = 365;
        break;
      default:
        return true;
    }
    if (m_criteria.AgeCount > std::numeric_limits<int64_t>::max() / perUnit) return true;
    return days <= m_criteria.AgeCount * perUnit;
  }

  // True only when the file's backup is known to be missing.
  bool hasNoBackup(int fd, const Entry& entry) {
    const std::string backup = platform::backupNameOf(entry.name);
    struct stat st {};
    if (m_ops.fstatat(fd, backup.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
    return errno == ENOENT || errno == ENOTDIR;
  }

  const ScanCriteria& m_criteria;
  platform::FileOps& m_ops;
  std::vector<platform::FolderEntry> m_listing;  // the listing being read, kept for its room
  std::vector<std::string>& m_found;
  std::vector<ScanProblem>* m_problems;
  ScanObserver* m_observer;
  bool m_stopped = false;
  time_t m_nowSeconds;
  int64_t m_today;
  bool m_needStat;
  std::string m_path;  // the directory being walked, then the file being appended
};

}  // namespace

LocalDate localDateOf(Clock::time_point moment) {
  return localDateOfSeconds(Clock::to_time_t(moment));
}

bool ScanDirectory(const ScanCriteria& criteria, Clock::time_point now,
                   std::vector<std::string>& found, std::vector<ScanProblem>* problems,
                   ScanObserver* observer, platform::FileOps& ops) {
  return Walker(criteria, now, found, problems, observer, ops).run();
}

}  // namespace tw
