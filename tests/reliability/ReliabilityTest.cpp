// The write-back path under crashes, injected and real errors and missing permissions.
// The driver program (WritebackDriver.cpp) loads and writes back the files it is given; here
// it is killed just before each of its file-system calls in turn (strace), killed again and
// again over thousands of files at calls drawn from a fixed seed, run on a full file system
// and as an unprivileged user.
// Afterwards every file must hold exactly its old or its new content, and every file that
// holds its new content must have its old content in its backup.

#include "writeback/TemporaryName.h"
#include "writeback/WriteBack.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The driver's change: every "o" becomes "0".
std::string newContentOf(std::string text) {
  for (char& c : text) {
    if (c == 'o') c = '0';
  }
  return text;
}

std::string oldContent(int seed, size_t size) {
  std::mt19937 random(static_cast<unsigned>(seed));
  std::string s = "colour of file " + std::to_string(seed) + std::string("\0\x80\xff", 3);
  while (s.size() < size) {
    int r = static_cast<int>(random() % 100);
    s.push_back(r < 10 ? 'o' : r < 12 ? '\n' : static_cast<char>(random() % 256));
  }
  return s;
}

bool haveProgram(const char* name) {
  std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

struct ProcessResult {
  bool killed = false;  // ended by SIGKILL
  int exitStatus = -1;
  std::string err;
};

// Runs `argv` with standard error captured; kills it after `killAfter` when given.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& errFile,
                         std::chrono::microseconds killAfter = std::chrono::microseconds(-1),
                         const std::string& inFile = "/dev/null") {
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) ::dup2(fd, 2);
    int devnull = ::open("/dev/null", O_RDWR);
    int input = ::open(inFile.c_str(), O_RDONLY);
    ::dup2(input >= 0 ? input : devnull, 0);
    ::dup2(devnull, 1);
    // LeakSanitizer cannot work under ptrace; the leak check belongs to the ordinary runs.
    const char* asan = ::getenv("ASAN_OPTIONS");
    std::string options = std::string(asan ? asan : "") + ":detect_leaks=0";
    ::setenv("ASAN_OPTIONS", options.c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  if (killAfter.count() >= 0) {
    std::this_thread::sleep_for(killAfter);
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult result;
  result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = TempDir::read(errFile);
  return result;
}

bool isTemporary(const fs::path& p) {
  return writeback::isTemporaryName(p.filename().string());
}

// The files one driver run works on, and the check of what it left.
class Scene {
 public:
  explicit Scene(bool backup) : m_backup(backup) {
    ::chmod(m_dir.path().c_str(), 0755);
    // Over a mebibyte: more than one piece of the command-line tool's output, and its old
    // content is dropped from the page cache at the swap.
    m_plainOld = oldContent(1, (size_t{1} << 20) + 3000);
    m_targetOld = oldContent(2, 5000);
    m_hardOld = oldContent(3, 7000);
    std::string plain = m_dir.write("plain.txt", m_plainOld);
    ::chmod(plain.c_str(), 0640);
    struct timespec times[2] = {{0, UTIME_OMIT}, {1500000000, 123456789}};
    ::utimensat(AT_FDCWD, plain.c_str(), times, 0);
    m_dir.write("plain.txt.rpf", "older backup");
    m_dir.write("plain.txt.rpf1", "work copy of an older program");
    m_dir.write("real/target.txt", m_targetOld);
    fs::create_symlink("real/target.txt", m_dir.file("link.txt"));
    m_dir.write("hard.txt", m_hardOld);
    fs::create_hard_link(m_dir.file("hard.txt"), m_dir.file("twin.txt"));
  }

  std::vector<std::string> files() const {
    return {m_dir.file("plain.txt"), m_dir.file("link.txt"), m_dir.file("hard.txt")};
  }
  const TempDir& dir() const { return m_dir; }

  // Whether every file holds its new content (as after a run that was not disturbed).
  bool allNew() const {
    return TempDir::read(m_dir.file("plain.txt")) == newContentOf(m_plainOld) &&
           TempDir::read(m_dir.file("real/target.txt")) == newContentOf(m_targetOld) &&
           TempDir::read(m_dir.file("hard.txt")) == newContentOf(m_hardOld);
  }

  // Problems found, empty when everything holds. `clean`: the run was not killed, so no
  // temporary file may be left either, except one that the driver's report names.
  std::vector<std::string> problems(bool clean, const std::string& report = {}) const {
    std::vector<std::string> found;
    auto expect = [&](bool ok, const std::string& what) {
      if (!ok) found.push_back(what);
    };
    std::string plain = TempDir::read(m_dir.file("plain.txt"));
    bool plainNew = plain == newContentOf(m_plainOld);
    expect(plain == m_plainOld || plainNew, "plain.txt holds neither old nor new content");
    std::string plainBackup = TempDir::read(m_dir.file("plain.txt.rpf"));
    // The old content of a file may wait in a temporary file that the next run settles: one
    // left by a kill, or one the report names.
    auto oldContentWaits = [&](const std::string& old) {
      for (const auto& e : fs::directory_iterator(m_dir.path())) {
        if (isTemporary(e.path()) &&
            (!clean || report.find(e.path().string()) != std::string::npos) &&
            TempDir::read(e.path().string()) == old)
          return true;
      }
      return false;
    };
    if (plainNew && m_backup)
      expect(plainBackup == m_plainOld || oldContentWaits(m_plainOld),
             "plain.txt.rpf is not the old content");
    if (!plainNew) {
      // Without backups the older one goes right before the swap.
      expect(plainBackup == "older backup" || plainBackup == m_plainOld ||
                 (!m_backup && !fs::exists(m_dir.file("plain.txt.rpf"))),
             "plain.txt.rpf lost its content");
    }
    if (plainNew && !m_backup) {
      expect(plainBackup == "older backup" || !fs::exists(m_dir.file("plain.txt.rpf")),
             "plain.txt.rpf lost its content");
    }
    // A backup is never one file with a file that can still change.
    for (const auto& [file, backup] :
         {std::pair{"plain.txt", "plain.txt.rpf"}, std::pair{"real/target.txt", "link.txt.rpf"},
          std::pair{"hard.txt", "hard.txt.rpf"}}) {
      struct stat fileStat {
      }, backupStat{};
      if (::stat(m_dir.file(file).c_str(), &fileStat) == 0 &&
          ::stat(m_dir.file(backup).c_str(), &backupStat) == 0) {
        expect(fileStat.st_ino != backupStat.st_ino,
               std::string(backup) + " is one file with " + file);
      }
    }
    if (plainNew) {
      struct stat st {};
      ::stat(m_dir.file("plain.txt").c_str(), &st);
      expect((st.st_mode & 07777) == 0640, "plain.txt lost its mode");
      expect(st.st_mtim.tv_sec == 1500000000 && st.st_mtim.tv_nsec == 123456789,
             "plain.txt lost its modification time");
    }
    expect(TempDir::read(m_dir.file("plain.txt.rpf1")) == "work copy of an older program",
           "plain.txt.rpf1 was touched");

    expect(fs::is_symlink(m_dir.file("link.txt")) &&
               fs::read_symlink(m_dir.file("link.txt")) == "real/target.txt",
           "link.txt is no longer the link");
    std::string target = TempDir::read(m_dir.file("real/target.txt"));
    bool targetNew = target == newContentOf(m_targetOld);
    expect(target == m_targetOld || targetNew, "the link's target holds neither old nor new");
    if (targetNew && m_backup) {
      expect(
          TempDir::read(m_dir.file("link.txt.rpf")) == m_targetOld || oldContentWaits(m_targetOld),
          "link.txt.rpf is not the old content");
    }

    // A file with two links is rewritten in place, after a complete copy of its old content
    // is on disk: torn in between is allowed only while that copy exists.
    std::string hard = TempDir::read(m_dir.file("hard.txt"));
    bool hardNew = hard == newContentOf(m_hardOld);
    struct stat hs {
    }, ts{};
    ::stat(m_dir.file("hard.txt").c_str(), &hs);
    ::stat(m_dir.file("twin.txt").c_str(), &ts);
    expect(hs.st_ino == ts.st_ino, "hard.txt and twin.txt are no longer one file");
    bool oldCopyKept = false;
    if (m_backup && TempDir::read(m_dir.file("hard.txt.rpf")) == m_hardOld) oldCopyKept = true;
    for (const auto& e : fs::directory_iterator(m_dir.path())) {
      if (isTemporary(e.path()) && TempDir::read(e.path().string()) == m_hardOld) {
        oldCopyKept = true;
      }
    }
    expect(hard == m_hardOld || hardNew || oldCopyKept,
           "hard.txt is torn and no copy of its old content is left");
    if (hardNew && m_backup) {
      expect(TempDir::read(m_dir.file("hard.txt.rpf")) == m_hardOld || oldContentWaits(m_hardOld),
             "hard.txt.rpf is not the old content");
    }

    for (const auto& e : fs::recursive_directory_iterator(m_dir.path())) {
      std::string name = e.path().filename().string();
      static const std::set<std::string> kKnown = {
          "plain.txt", "plain.txt.rpf", "plain.txt.rpf1", "real",     "target.txt",
          "link.txt",  "link.txt.rpf",  "hard.txt",       "twin.txt", "hard.txt.rpf"};
      if (kKnown.count(name) != 0) continue;
      if (isTemporary(e.path()) && (!clean || report.find(name) != std::string::npos)) continue;
      found.push_back("unexpected file left: " + name);
    }
    return found;
  }

  // After a clean run that followed a disturbed one: every file whole and new, each backup
  // the old content (or none without backups), and nothing temporary left anywhere.
  std::vector<std::string> mendedProblems() const {
    std::vector<std::string> found = problems(true);
    if (!allNew()) found.push_back("not every file holds its new content");
    for (const auto& [backup, old] :
         {std::pair{"plain.txt.rpf", &m_plainOld}, std::pair{"link.txt.rpf", &m_targetOld},
          std::pair{"hard.txt.rpf", &m_hardOld}}) {
      if (m_backup && TempDir::read(m_dir.file(backup)) != *old)
        found.push_back(std::string(backup) + " is not the old content");
      if (!m_backup && fs::exists(m_dir.file(backup)))
        found.push_back(std::string(backup) + " was kept with backups off");
    }
    for (const auto& e : fs::recursive_directory_iterator(m_dir.path())) {
      if (isTemporary(e.path())) found.push_back("stale temporary left: " + e.path().string());
    }
    return found;
  }

 private:
  TempDir m_dir;
  bool m_backup;
  std::string m_plainOld, m_targetOld, m_hardOld;
};

struct SweepCase {
  bool backup;
  bool batch;
  bool cli;              // through "textwright-cli replace" instead of the driver
  bool confirm = false;  // with --confirm, every file answered "f" (all in this file) in turn
  bool errors = false;   // MendSweep: each call fails with EIO instead of being killed
};

// The answers of a confirmation session over the scene's three files.
std::string answersFile(const TempDir& work) {
  std::string path = work.file("answers.txt");
  std::ofstream(path) << "f\nf\nf\n";
  return path;
}

// The command line of the run that a sweep watches, over `scene`'s files (none: the calls
// the program makes before its first file).
std::vector<std::string> runArgs(const Scene* scene, const SweepCase& c) {
  std::vector<std::string> args;
  if (c.cli) {
    args = {TEXTWRIGHT_CLI, "replace", "--case-sensitive", "--quiet"};
    if (!c.backup) args.push_back("--no-backup");
    if (c.confirm) args.push_back("--confirm");
    args.push_back("o");
    args.push_back("0");
  } else {
    args = {WRITEBACK_DRIVER};
    if (!c.backup) args.push_back("--no-backup");
    if (c.batch) {
      args.push_back("--batch");
      args.push_back("2");
    }
  }
  if (scene != nullptr) {
    for (const std::string& f : scene->files()) args.push_back(f);
  } else if (c.cli) {
    args.push_back("/nonexistent/file");
  }
  return args;
}

// How often the driver makes each file-system call, from strace's record of a clean run.
std::map<std::string, int> callCounts(std::vector<std::string> args, const TempDir& work,
                                      const std::string& inFile = "/dev/null") {
  std::string trace = work.file("trace.txt");
  std::vector<std::string> argv = {"strace", "-qq", "-o", trace, "-e", "trace=%file,%desc"};
  argv.insert(argv.end(), args.begin(), args.end());
  runProcess(argv, work.file("strace.err"), std::chrono::microseconds(-1), inFile);
  std::map<std::string, int> counts;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    size_t paren = line.find('(');
    if (paren == std::string::npos || line.rfind("+++", 0) == 0) continue;
    std::string call = line.substr(0, paren);
    // Memory mapping is the allocator's (and the sanitizers'), not a step of the write-back.
    if (call == "mmap" || call == "munmap" || call == "mprotect" || call == "mremap") continue;
    ++counts[call];
  }
  return counts;
}

class CrashSweep : public ::testing::TestWithParam<SweepCase> {};

// The driver killed just before each of its file-system calls in turn (the calls before its
// first file, made by the loader and the runtime, are left out).
TEST_P(CrashSweep, KillBeforeEveryFileSystemCallLosesNothing) {
  if (!haveProgram("strace")) GTEST_SKIP() << "strace is not installed";
  const SweepCase c = GetParam();
  const bool backup = c.backup;
  TempDir work;
  std::map<std::string, int> before = callCounts(runArgs(nullptr, c), work);
  std::map<std::string, int> all;
  {
    Scene scene(backup);
    all = callCounts(runArgs(&scene, c), work);
    std::vector<std::string> problems = scene.problems(true);
    ASSERT_TRUE(problems.empty()) << problems.front();
    ASSERT_TRUE(scene.allNew()) << "the undisturbed run did not write every file";
    ASSERT_FALSE(all.empty()) << "strace recorded nothing: "
                              << TempDir::read(work.file("strace.err"));
  }
  int runs = 0, kills = 0;
  for (const auto& [call, count] : all) {
    for (int n = before[call] + 1; n <= count; ++n) {
      Scene scene(backup);
      std::vector<std::string> argv = {
          "strace", "-qq",
          "-o",     "/dev/null",
          "-e",     "trace=" + call,
          "-e",     "inject=" + call + ":signal=KILL:when=" + std::to_string(n)};
      std::vector<std::string> args = runArgs(&scene, c);
      argv.insert(argv.end(), args.begin(), args.end());
      ProcessResult r = runProcess(argv, work.file("run.err"));
      ++runs;
      if (r.killed) ++kills;
      std::vector<std::string> problems = scene.problems(!r.killed);
      for (const std::string& p : problems) {
        ADD_FAILURE() << "killed before " << call << " #" << n << ": " << p;
      }
      if (!problems.empty()) return;
    }
  }
  EXPECT_GT(kills, runs / 2) << "the sweep hardly killed anything";
  std::cout << "crash sweep: " << runs << " runs, " << kills << " killed\n";
}

// Every file-system call of the driver failing in turn with EIO (through strace, on the real
// calls): the driver says so, names the file, and leaves nothing behind.
TEST_P(CrashSweep, InjectedErrorOnEveryCallIsReportedAndLeavesNoTrace) {
  if (!haveProgram("strace")) GTEST_SKIP() << "strace is not installed";
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer runtime makes these calls itself (pipe, write, mmap) and aborts when one
  // fails; the plain build runs this sweep, and the fault-injecting FileOps covers the rest.
  GTEST_SKIP() << "not under the sanitizers";
#endif
  // The command-line tool has more to do before and beside the files (its output); its
  // write errors are covered by the engine's own tests.
  if (GetParam().cli) GTEST_SKIP() << "the kill sweep covers the command-line tool";
  const SweepCase c = GetParam();
  const bool backup = c.backup;
  TempDir work;
  std::map<std::string, int> before = callCounts(runArgs(nullptr, c), work);
  std::map<std::string, int> all;
  {
    Scene scene(backup);
    all = callCounts(runArgs(&scene, c), work);
  }
  int failures = 0;
  for (const auto& [call, count] : all) {
    for (int n = before[call] + 1; n <= count; ++n) {
      Scene scene(backup);
      std::vector<std::string> argv = {
          "strace", "-qq",
          "-o",     "/dev/null",
          "-e",     "trace=" + call,
          "-e",     "inject=" + call + ":error=EIO:when=" + std::to_string(n)};
      std::vector<std::string> args = runArgs(&scene, c);
      argv.insert(argv.end(), args.begin(), args.end());
      ProcessResult r = runProcess(argv, work.file("run.err"));
      std::vector<std::string> problems = scene.problems(true, r.err);
      for (const std::string& p : problems) {
        ADD_FAILURE() << "EIO on " << call << " #" << n << ": " << p << "\n" << r.err;
      }
      if (!problems.empty()) return;
      if (r.exitStatus == 1) {
        ++failures;
        EXPECT_NE(r.err.find(scene.dir().path().string()), std::string::npos)
            << call << " #" << n << ": " << r.err;
      } else {
        EXPECT_EQ(r.exitStatus, 0) << call << " #" << n << ": " << r.err;
        EXPECT_TRUE(r.err.empty()) << call << " #" << n << ": " << r.err;
      }
    }
  }
  EXPECT_GT(failures, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CrashSweep,
    ::testing::Values(SweepCase{true, false, false}, SweepCase{false, false, false},
                      SweepCase{true, true, false}, SweepCase{false, true, false},
                      SweepCase{true, false, true}, SweepCase{false, false, true}),
    [](const auto& param) {
      return std::string(param.param.cli ? "Cli" : "Driver") +
             (param.param.backup ? "WithBackup" : "WithoutBackup") +
             (param.param.batch ? "Batched" : "");
    });

// The same kill points, each followed by a clean run over the same files: that run mends what
// the killed one left (a torn file rewritten in place gets its old content back, a pending
// backup is settled or dropped, stale temporaries go) and then does its work, so every file
// ends whole with its backup and nothing temporary is left.
class MendSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(MendSweep, KillAtEveryCallThenACleanRunLeavesEverythingWhole) {
  if (!haveProgram("strace")) GTEST_SKIP() << "strace is not installed";
  const SweepCase c = GetParam();
#if defined(__SANITIZE_ADDRESS__)
  if (c.errors) GTEST_SKIP() << "not under the sanitizers (they make these calls themselves)";
#endif
  const std::string inject = c.errors ? ":error=EIO" : ":signal=KILL";
  TempDir work;
  std::map<std::string, int> before = callCounts(runArgs(nullptr, c), work);
  std::map<std::string, int> all;
  {
    Scene scene(c.backup);
    all = callCounts(runArgs(&scene, c), work, c.confirm ? answersFile(work) : "/dev/null");
  }
  int runs = 0, kills = 0;
  for (const auto& [call, count] : all) {
    for (int n = before[call] + 1; n <= count; ++n) {
      Scene scene(c.backup);
      std::vector<std::string> argv = {
          "strace", "-qq",
          "-o",     "/dev/null",
          "-e",     "trace=" + call,
          "-e",     "inject=" + call + inject + ":when=" + std::to_string(n)};
      std::vector<std::string> args = runArgs(&scene, c);
      argv.insert(argv.end(), args.begin(), args.end());
      const std::string answers = c.confirm ? answersFile(work) : "/dev/null";
      ProcessResult killed =
          runProcess(argv, work.file("run.err"), std::chrono::microseconds(-1), answers);
      ++runs;
      if (killed.killed) ++kills;
      ProcessResult clean =
          runProcess(args, work.file("clean.err"), std::chrono::microseconds(-1), answers);
      std::vector<std::string> problems = scene.mendedProblems();
      if (clean.exitStatus != 0) problems.push_back("the clean run failed: " + clean.err);
      for (const std::string& p : problems) {
        ADD_FAILURE() << "killed before " << call << " #" << n << ": " << p;
      }
      if (!problems.empty()) return;
    }
  }
  if (!c.errors) {
    EXPECT_GT(kills, runs / 2) << "the sweep hardly killed anything";
  }
  std::cout << "mend sweep: " << runs << " points, " << kills << " killed\n";
}

INSTANTIATE_TEST_SUITE_P(Modes, MendSweep,
                         ::testing::Values(SweepCase{true, true, false},
                                           SweepCase{false, true, false},
                                           SweepCase{true, false, true},
                                           SweepCase{true, false, true, true},
                                           SweepCase{true, false, true, true, true}),
                         [](const auto& param) {
                           return std::string(param.param.cli ? "Cli" : "Driver") +
                                  (param.param.backup ? "WithBackup" : "WithoutBackup") +
                                  (param.param.batch ? "Batched" : "") +
                                  (param.param.confirm ? "Confirmed" : "") +
                                  (param.param.errors ? "Errors" : "");
                         });

// A confirmation session answered through a pipe, stopped while it waits for the answer about
// the second file: the first file, all answered, is already written with its backup, and the
// others keep their content and their older backups. Killed there, a clean run afterwards
// finishes the work; changed from outside there, the first file keeps that change and its
// backup stays the old content.
TEST(WaitingRun, AnsweredFilesAreWrittenAndBackupsNeverFollowALiveFile) {
  for (bool kill : {true, false}) {
    SCOPED_TRACE(kill ? "killed while waiting" : "appended to while waiting");
    TempDir dir;
    std::vector<std::string> paths, olds;
    for (int i = 0; i < 3; ++i) {
      olds.push_back("colour " + std::to_string(i) + "\n");
      paths.push_back(dir.write("f" + std::to_string(i) + ".txt", olds.back()));
      dir.write("f" + std::to_string(i) + ".txt.rpf", "older backup");
    }
    int in[2], err[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(err), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(in[0], 0);
      ::dup2(err[1], 2);
      int devnull = ::open("/dev/null", O_WRONLY);
      ::dup2(devnull, 1);
      ::close(in[1]);
      ::close(err[0]);
      ::execl(TEXTWRIGHT_CLI, TEXTWRIGHT_CLI, "replace", "--confirm", "--quiet", "o", "0",
              paths[0].c_str(), paths[1].c_str(), paths[2].c_str(), nullptr);
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(err[1]);
    std::string said;
    auto waitFor = [&](const std::string& text) {
      char buffer[4096];
      while (said.find(text) == std::string::npos) {
        ssize_t n = ::read(err[0], buffer, sizeof buffer);
        if (n <= 0) return false;
        said.append(buffer, static_cast<size_t>(n));
      }
      return true;
    };
    ASSERT_TRUE(waitFor("File : f0.txt")) << said;
    ASSERT_EQ(::write(in[1], "f\n", 2), 2);
    ASSERT_TRUE(waitFor("File : f1.txt")) << said;  // waiting for the next answer now
    EXPECT_EQ(TempDir::read(paths[0]), "c0l0ur 0\n");
    EXPECT_EQ(TempDir::read(paths[0] + ".rpf"), olds[0]);
    struct stat file {
    }, backup{};
    ::stat(paths[0].c_str(), &file);
    ::stat((paths[0] + ".rpf").c_str(), &backup);
    EXPECT_NE(file.st_ino, backup.st_ino);
    if (kill) {
      ::kill(pid, SIGKILL);
    } else {
      std::ofstream(paths[0], std::ios::app) << "appended\n";
      ASSERT_EQ(::write(in[1], "a\n", 2), 2);
    }
    ::close(in[1]);
    waitFor("\x01");  // to the end of the output
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (int i = 1; i < 3; ++i) {
      EXPECT_EQ(TempDir::read(paths[i]), kill ? olds[i] : "c0l0ur " + std::to_string(i) + "\n");
      EXPECT_EQ(TempDir::read(paths[i] + ".rpf"), kill ? "older backup" : olds[i]);
    }
    if (kill) {
      ProcessResult clean =
          runProcess({TEXTWRIGHT_CLI, "replace", "--quiet", "o", "0", paths[0], paths[1], paths[2]},
                     dir.file("err"));
      EXPECT_EQ(clean.exitStatus, 0) << clean.err;
      for (int i = 1; i < 3; ++i) EXPECT_EQ(TempDir::read(paths[i] + ".rpf"), olds[i]);
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
      EXPECT_EQ(TempDir::read(paths[0]), "c0l0ur 0\nappended\n");
    }
    EXPECT_EQ(TempDir::read(paths[0] + ".rpf"), olds[0]);
    for (const auto& e : fs::directory_iterator(dir.path())) {
      EXPECT_FALSE(isTemporary(e.path())) << e.path();
    }
  }
}

// Thousands of files, the driver killed again and again and run over the same files until
// it ends on its own: after every kill each file is old or new, and a new one has its old
// content in its backup. Each kill lands just before the n-th call of one file-system call
// (strace), call and n drawn from a fixed seed among the calls the driver makes for every
// file, early enough that the run is always killed.
TEST(RandomKills, EveryFileIsOldOrNewWithItsBackup) {
  if (!haveProgram("strace")) GTEST_SKIP() << "strace is not installed";
  std::mt19937 random(20261209);
  constexpr int kKilledRuns = 8;
  constexpr int kFilesPerKill = 40;  // each kill lands within the first 40 files of its run
  for (int batch : {0, 100}) {
    SCOPED_TRACE("batch " + std::to_string(batch));
    const int files = batch == 0 ? 500 : 1500;
    std::vector<std::string> options;
    if (batch != 0) options = {"--batch", std::to_string(batch)};

    // The calls made for every file: a clean run over twenty files less one over ten (more
    // than a commit flushes one by one), so that the calls made once per run or per folder
    // (its listing) are left out.
    std::map<std::string, int> ten, twenty;
    for (int count : {10, 20}) {
      TempDir sample;
      std::vector<std::string> sampleArgs = {WRITEBACK_DRIVER};
      sampleArgs.insert(sampleArgs.end(), options.begin(), options.end());
      for (int i = 0; i < count; ++i)
        sampleArgs.push_back(sample.write("s" + std::to_string(i), oldContent(i, 500)));
      (count == 10 ? ten : twenty) = callCounts(sampleArgs, sample);
    }
    std::map<std::string, int> before = ten;
    std::vector<std::pair<std::string, int>> perFile;  // call, times per file
    for (const auto& [call, count] : twenty) {
      const int added = count - ten[call];
      if (added >= 10) {
        perFile.emplace_back(call, added / 10);
        before[call] = std::max(0, ten[call] - 10 * (added / 10));
      }
    }
    ASSERT_FALSE(perFile.empty()) << "strace recorded no call made for every file";

    TempDir dir;
    std::vector<std::string> paths, olds;
    std::ofstream list(dir.file("list"));
    for (int i = 0; i < files; ++i) {
      std::string name = "d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".txt";
      olds.push_back(oldContent(batch * files + i, 200 + (i * 37) % 3000));
      paths.push_back(dir.write(name, olds.back()));
      list << paths.back() << "\n";
    }
    list.close();
    std::vector<std::string> args = {WRITEBACK_DRIVER, "--list", dir.file("list")};
    args.insert(args.end(), options.begin(), options.end());
    for (int round = 0; round <= kKilledRuns; ++round) {
      std::vector<std::string> argv;
      std::string where = "no kill";
      if (round < kKilledRuns) {
        const auto& [call, times] = perFile[random() % perFile.size()];
        const int n = before[call] + 1 + static_cast<int>(random() % (times * kFilesPerKill));
        where = "killed before " + call + " #" + std::to_string(n);
        argv = {"strace", "-qq",
                "-o",     "/dev/null",
                "-e",     "trace=" + call,
                "-e",     "inject=" + call + ":signal=KILL:when=" + std::to_string(n)};
      }
      argv.insert(argv.end(), args.begin(), args.end());
      ProcessResult r = runProcess(argv, dir.file("err"));
      SCOPED_TRACE(where);
      ASSERT_EQ(r.killed, round < kKilledRuns) << r.err;
      int newFiles = 0;
      for (int i = 0; i < files; ++i) {
        std::string now = TempDir::read(paths[i]);
        bool isNew = now == newContentOf(olds[i]);
        ASSERT_TRUE(now == olds[i] || isNew) << paths[i] << " holds neither old nor new";
        if (isNew) ++newFiles;
        if (isNew || fs::exists(paths[i] + ".rpf")) {
          ASSERT_EQ(TempDir::read(paths[i] + ".rpf"), olds[i]) << paths[i];
        }
      }
      if (!r.killed) {
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        EXPECT_EQ(newFiles, files);
      }
    }
  }
}

// A real full file system: a small tmpfs filled up (root only; skipped elsewhere).
TEST(DiskFull, FailedWriteKeepsOldContentAndLeavesNothing) {
  TempDir dir;
  std::string mountPoint = dir.file("small");
  fs::create_directory(mountPoint);
  if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=512k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{mountPoint};

  std::string old = oldContent(7, 100000);
  std::string path = mountPoint + "/big.txt";
  std::string twin = mountPoint + "/twin.txt";
  { std::ofstream(path, std::ios::binary) << old; }
  fs::create_hard_link(path, mountPoint + "/twin.txt");
  std::string lone = mountPoint + "/lone.txt";
  { std::ofstream(lone, std::ios::binary) << old; }
  // Fill the rest of the file system.
  {
    std::ofstream filler(mountPoint + "/filler", std::ios::binary);
    std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) filler.flush();
  }
  auto namesNow = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(mountPoint)) names.insert(e.path().filename());
    return names;
  };

  for (bool backup : {true, false}) {
    for (const std::string& target : {lone, path}) {
      SCOPED_TRACE(target + (backup ? " with backup" : " without backup"));
      std::set<std::string> before = namesNow();
      writeback::LoadedFile file;
      std::string error;
      ASSERT_EQ(writeback::loadFile(target, file, error), writeback::LoadResult::Loaded);
      platform::IoStatus s =
          writeback::writeBack(file, newContentOf(old), {.createBackup = backup});
      EXPECT_FALSE(s);
      EXPECT_NE(s.error.find(target), std::string::npos) << s.error;
      EXPECT_NE(s.error.find("No space left on device"), std::string::npos) << s.error;
      EXPECT_EQ(TempDir::read(target), old);
      std::set<std::string> after = namesNow();
      after.erase(fs::path(target).filename().string() + ".rpf");  // a linked backup needs no space
      before.erase(fs::path(target).filename().string() + ".rpf");
      EXPECT_EQ(after, before);
    }
  }
  EXPECT_EQ(TempDir::read(twin), old);
}

// As an unprivileged user (root passes every permission check): an unreadable file and a
// file in a read-only folder are reported with the reason and left as they are.
TEST(Permissions, UnreadableFileAndReadOnlyFolderAreReportedAndKept) {
  std::vector<std::string> prefix;
  if (::geteuid() == 0) {
    if (!haveProgram("setpriv")) GTEST_SKIP() << "setpriv is not installed";
    prefix = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  std::string secret = dir.write("secret.txt", "colour");
  ::chmod(secret.c_str(), 0);
  std::string locked = dir.write("ro/file.txt", "colour");
  ::chmod(locked.c_str(), 0666);
  ::chmod(dir.file("ro").c_str(), 0555);

  for (bool backup : {true, false}) {
    std::vector<std::string> argv = prefix;
    argv.push_back(WRITEBACK_DRIVER);
    if (!backup) argv.push_back("--no-backup");
    argv.push_back(secret);
    argv.push_back(locked);
    ProcessResult r = runProcess(argv, dir.file("err"));
    EXPECT_EQ(r.exitStatus, 1) << r.err;
    EXPECT_NE(r.err.find("Cannot open \"" + secret + "\": Permission denied"), std::string::npos)
        << r.err;
    std::string expected =
        backup ? "Cannot create the backup \"" + locked + ".rpf\": Permission denied"
               : "Cannot write \"" + locked + "\": Permission denied";
    EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
    ::chmod(secret.c_str(), 0600);
    EXPECT_EQ(TempDir::read(secret), "colour");
    ::chmod(secret.c_str(), 0);
    EXPECT_EQ(TempDir::read(locked), "colour");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.file("ro")))
      left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"file.txt"});
  }
  ::chmod(dir.file("ro").c_str(), 0755);
}

// Someone else's setuid file, writable by all, rewritten by another user: it is written in
// place, so it keeps its owner, and it is not setuid for that user.
TEST(Permissions, SomeoneElsesWritableFileKeepsItsOwnerAndLosesSetuid) {
  if (::geteuid() != 0 || !haveProgram("setpriv")) GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  std::string path = dir.write("suid.txt", "colour");
  ASSERT_EQ(::chmod(path.c_str(), 06777), 0);
  ProcessResult r = runProcess(
      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", WRITEBACK_DRIVER, path},
      dir.file("err"));
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(TempDir::read(path), newContentOf("colour"));
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 06000, 0u);
  EXPECT_EQ(TempDir::read(path + ".rpf"), "colour");
}

// Through the command-line tool, as an unprivileged user: a file the user neither owns nor
// may write (in a folder the user may write) is refused and keeps its owner and content; a
// read-only file of the user's own is processed and keeps its mode, with or without a second
// hard link.
TEST(Permissions, FilesOfOthersAreRefusedAndReadOnlyFilesOfOurOwnAreProcessed) {
  if (::geteuid() != 0 || !haveProgram("setpriv")) GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  const std::string theirs = dir.write("theirs.txt", "colour");
  ::chmod(theirs.c_str(), 0644);
  std::vector<std::string> ours;
  for (const char* name : {"lone.txt", "linked.txt"}) {
    ours.push_back(dir.write(name, "colour"));
    ::chown(ours.back().c_str(), 65534, 65534);
    ::chmod(ours.back().c_str(), 0444);
  }
  ASSERT_EQ(::link(ours[1].c_str(), dir.file("twin.txt").c_str()), 0);
  std::vector<std::string> argv = {"setpriv",
                                   "--reuid=65534",
                                   "--regid=65534",
                                   "--clear-groups",
                                   TEXTWRIGHT_CLI,
                                   "replace",
                                   "--quiet",
                                   "o",
                                   "0",
                                   theirs};
  argv.insert(argv.end(), ours.begin(), ours.end());
  ProcessResult r = runProcess(argv, dir.file("err"));
  EXPECT_EQ(r.exitStatus, 1) << r.err;
  EXPECT_NE(r.err.find("textwright-cli: " + theirs + ": Cannot write \"" + theirs +
                       "\": Permission denied"),
            std::string::npos)
      << r.err;
  struct stat st {};
  ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(TempDir::read(theirs), "colour");
  EXPECT_FALSE(fs::exists(theirs + ".rpf"));
  for (const std::string& path : ours) {
    SCOPED_TRACE(path);
    EXPECT_EQ(TempDir::read(path), "c0l0ur");
    EXPECT_EQ(TempDir::read(path + ".rpf"), "colour");
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_uid, 65534u);
  }
  EXPECT_EQ(TempDir::read(dir.file("twin.txt")), "c0l0ur");
}

}  // namespace
}  // namespace tw
