// textwright-cli run by one user (the victim) on a file in a folder a second user (the
// attacker) may write too, after the attacker has planted things there: names the writer
// uses for its work files, the backup's name, the report's name. Each call runs the real
// program as the victim, in a sticky folder writable by all and in a group's project folder.
// Nothing of the attacker's may be read, written through, adopted or removed, and nothing may
// hang; leftovers beside the file must not keep the victim's work from being done.

#include "writeback/TemporaryName.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kVictim = 61001;
constexpr uid_t kAttacker = 61002;
constexpr gid_t kSharedGroup = 61000;
constexpr auto kTimeout = std::chrono::seconds(20);
constexpr int kCannotBecomeUser = 125;
const std::string kSecret = "the victim's secret: 7f1e-a9c3\n";
const std::string kAttackerContent = "ATTACKER\n";

// Names an earlier run could have left beside `fileName`, here planted by the attacker: the
// writer's work files of a process that is gone, and the same marks with nothing after them.
// `victim`: the file as it is, for the names a writer makes now, aimed at it (its identity,
// and a copy of a rewrite that would be finished, or torn, by the file's content `content`).
std::vector<std::string> plantedLeftoverNames(const std::string& fileName,
                                              const struct stat& victim,
                                              const std::string& content) {
  std::vector<std::string> names;
  for (const char* mark : {".twold-", ".twbak-", ".twtmp-"}) {
    names.push_back("." + fileName + mark + "4194000-abcdef");
    names.push_back("." + fileName + mark);
  }
  using writeback::TemporaryKind;
  const writeback::RewriteRecord finished{
      platform::FileId::of(victim), platform::FileStamp::of(victim),
      static_cast<int64_t>(content.size()), writeback::contentHash(content), true};
  writeback::RewriteRecord torn = finished;
  torn.newSize = 1 << 20;
  torn.newHash = 0;
  const std::vector<writeback::TemporaryName> aimed = {
      {TemporaryKind::NewContent, 0, 0, {}},
      {TemporaryKind::PendingBackup, 0, static_cast<uint64_t>(victim.st_ino), {}},
      {TemporaryKind::OldContent, 0, 0, finished},
      {TemporaryKind::OldContent, 0, 0, torn},
      {TemporaryKind::KeptOldContent, 0, 0, finished},
  };
  for (const writeback::TemporaryName& what : aimed)
    names.push_back(writeback::makeTemporaryName(fileName, what));
  return names;
}

enum class Plant { AttackersFile, LinkToSecret, LinkToDevZero, Fifo, UnreadableFile, Folder };

struct Planting {
  Plant plant;
  const char* what;
};

const std::vector<Planting> kPlantings = {
    {Plant::AttackersFile, "the attacker's file"}, {Plant::LinkToSecret, "a link to the secret"},
    {Plant::LinkToDevZero, "a link to /dev/zero"}, {Plant::Fifo, "a FIFO"},
    {Plant::UnreadableFile, "a file of mode 000"}, {Plant::Folder, "a folder"},
};

// Takes on `uid` as its own group too, with the shared group as its only other group.
bool becomeUser(uid_t uid) {
  const gid_t group = kSharedGroup;
  return ::setgroups(1, &group) == 0 && ::setresgid(uid, uid, uid) == 0 &&
         ::setresuid(uid, uid, uid) == 0;
}

// The content of a regular file, never following a link nor opening anything else.
std::string readRegular(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    return "(no regular file)";
  }
  std::string content;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) content.append(buffer, n);
  ::close(fd);
  return content;
}

// What is at `path`, in one line: kind, inode, mode, owner, and content, target or entries.
std::string describe(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  std::ostringstream d;
  d << "inode " << st.st_ino << " mode " << std::oct << (st.st_mode & 07777) << std::dec << " uid "
    << st.st_uid << ' ';
  if (S_ISREG(st.st_mode)) {
    d << "file: " << readRegular(path);
  } else if (S_ISLNK(st.st_mode)) {
    d << "link to " << fs::read_symlink(path).string();
  } else if (S_ISFIFO(st.st_mode)) {
    d << "FIFO";
  } else if (S_ISDIR(st.st_mode)) {
    d << "folder:";
    for (const auto& e : fs::directory_iterator(path)) d << ' ' << e.path().filename().string();
  } else {
    d << "something else";
  }
  return d.str();
}

struct Outcome {
  bool hung = false;
  int status = -1;  // the exit status, -1 when ended by a signal
  std::string out, err;
};

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += " " + a;
  return text;
}

enum class FolderKind { StickyWritableByAll, GroupProject };

void PrintTo(FolderKind kind, std::ostream* os) {
  *os << (kind == FolderKind::GroupProject ? "GroupProject" : "StickyWritableByAll");
}

// A fresh base folder in /tmp that both users can reach: the victim's private folder with the
// secret, a folder for the captured output that only root may enter, and the shared folder.
class SharedFolder : public ::testing::TestWithParam<FolderKind> {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "*** NOT RUN: these tests take on two users (ids " << kVictim << " and "
                   << kAttacker << ") and must run as root; euid is " << ::geteuid() << " ***";
    if (std::string why = cannotBecomeVictim(); !why.empty())
      GTEST_SKIP() << "*** NOT RUN: cannot take on user " << kVictim << ": " << why << " ***";
    char pattern[] = "/tmp/textwright-shared-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_base = pattern;
    ::chmod(m_base.c_str(), 0755);
    fs::create_directory(m_base + "/private");
    fs::create_directory(m_base + "/output");
    ::chmod((m_base + "/output").c_str(), 0700);
    m_secret = m_base + "/private/secret.txt";
    writeOwned(m_secret, kSecret, kVictim, 0600);
    ::chown((m_base + "/private").c_str(), kVictim, kVictim);
    ::chmod((m_base + "/private").c_str(), 0700);
    m_secretAsWritten = describe(m_secret);
    m_shared = m_base + "/shared";
  }

  void TearDown() override {
    std::error_code ec;
    if (!m_base.empty()) fs::remove_all(m_base, ec);
  }

  static std::string cannotBecomeVictim() {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(becomeUser(kVictim) ? 0 : errno);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    return WIFEXITED(status) ? std::strerror(WEXITSTATUS(status)) : "the probe died";
  }

  static void writeOwned(const std::string& path, const std::string& content, uid_t owner,
                         mode_t mode) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
    ::fchown(fd, owner, kSharedGroup);
    ::fchmod(fd, mode);
    ::close(fd);
  }

  std::string shared(const std::string& name) const { return m_shared + "/" + name; }

  // A new shared folder holding the victim's file and a configuration that lists it.
  void freshScene() {
    fs::remove_all(m_shared);
    fs::create_directory(m_shared);
    const bool sticky = GetParam() == FolderKind::StickyWritableByAll;
    ::chown(m_shared.c_str(), 0, sticky ? 0 : kSharedGroup);
    ::chmod(m_shared.c_str(), sticky ? 01777 : 02770);
    writeOwned(shared("victim.txt"), "hello world\n", kVictim, 0640);
    writeOwned(shared("cfg.rpl"),
               "CaseSensitive=false\r\nWholeWordsOnly=false\r\nCreateBackupFiles=true\r\n"
               "Confirm=false\r\nAnything=true\r\nRegular=false\r\nFile=victim.txt,1\r\n"
               "Strings=1\r\nhello\r\nStrings=1\r\nbye\r\n",
               kVictim, 0644);
    m_planted.clear();
  }

  // Plants `plant` as `name` in the shared folder, as the attacker.
  void plant(const std::string& name, Plant plant) {
    const std::string path = shared(name);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::umask(0);
      if (!becomeUser(kAttacker)) ::_exit(1);
      const char* p = path.c_str();
      bool ok = false;
      if (plant == Plant::AttackersFile || plant == Plant::UnreadableFile) {
        int fd = ::open(p, O_WRONLY | O_CREAT | O_EXCL, plant == Plant::AttackersFile ? 0666 : 0);
        ok = fd >= 0 && ::write(fd, kAttackerContent.data(), kAttackerContent.size()) ==
                            ssize_t(kAttackerContent.size());
      } else if (plant == Plant::Fifo) {
        ok = ::mkfifo(p, 0666) == 0;
      } else if (plant == Plant::Folder) {
        ok = ::mkdir(p, 0755) == 0;
      } else {
        ok = ::symlink(plant == Plant::LinkToSecret ? m_secret.c_str() : "/dev/zero", p) == 0;
      }
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "cannot plant " << path;
    m_planted[name] = describe(path);
  }

  // Runs textwright-cli as the victim in the shared folder, input from /dev/null; kills it
  // and fails the test when it runs longer than kTimeout. With `atQuestion`, the input is a
  // pipe instead: once the program asks whether to replace, `atQuestion` runs, and the answer
  // is "y".
  Outcome runAsVictim(const std::vector<std::string>& args,
                      const std::function<void()>& atQuestion = nullptr) {
    std::vector<std::string> argv = {TEXTWRIGHT_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    const std::string outPath = m_base + "/output/out", errPath = m_base + "/output/err";
    int answers[2] = {-1, -1};
    if (atQuestion && ::pipe2(answers, O_CLOEXEC) != 0) ADD_FAILURE() << "no pipe";
    pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(atQuestion ? answers[0] : ::open("/dev/null", O_RDONLY), 0);
      ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      // A file read without end must not take the machine's memory before the timeout.
#if defined(__SANITIZE_ADDRESS__)
      const char* asan = ::getenv("ASAN_OPTIONS");
      ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":hard_rss_limit_mb=2048").c_str(),
               1);
#else
      const rlimit memory{rlim_t(2) << 30, rlim_t(2) << 30};
      ::setrlimit(RLIMIT_AS, &memory);
#endif
      if (!becomeUser(kVictim) || ::chdir(m_shared.c_str()) != 0) ::_exit(kCannotBecomeUser);
      ::execv(pointers[0], pointers.data());
      ::_exit(127);
    }
    Outcome r;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    if (atQuestion) {
      ::close(answers[0]);
      while (readRegular(errPath).find("Replace?") == std::string::npos &&
             std::chrono::steady_clock::now() < deadline && ::waitpid(pid, &status, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      atQuestion();
      EXPECT_EQ(::write(answers[1], "y\n", 2), 2);
      ::close(answers[1]);
    }
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        r.hung = true;
        ADD_FAILURE() << "hung: textwright-cli" << joined(args);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readRegular(outPath);
    r.err = readRegular(errPath);
    EXPECT_NE(r.status, kCannotBecomeUser) << r.err;
    return r;
  }

  // What every run must leave: the secret as it was and in no file of the shared folder, each
  // planted thing exactly as planted, and the victim's file the victim's, of its own mode.
  void expectNothingOfTheAttackersTouched() {
    EXPECT_EQ(describe(m_secret), m_secretAsWritten);
    for (const auto& e : fs::recursive_directory_iterator(m_shared)) {
      if (e.symlink_status().type() == fs::file_type::regular) {
        EXPECT_EQ(readRegular(e.path()).find(kSecret), std::string::npos)
            << e.path() << " holds the victim's secret";
      }
    }
    for (const auto& [name, planted] : m_planted)
      EXPECT_EQ(describe(shared(name)), planted) << name << " is not as planted";
    struct stat st {};
    ASSERT_EQ(::lstat(shared("victim.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, kVictim);
  }

  // The victim's backup: exactly `content`, a regular file of the victim's; or none.
  void expectBackup(const char* content) {
    const std::string backup = shared("victim.txt.rpf");
    if (content == nullptr) {
      EXPECT_EQ(describe(backup), "missing");
      return;
    }
    EXPECT_EQ(readRegular(backup), content);
    struct stat st {};
    ASSERT_EQ(::lstat(backup.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kVictim);
  }

  std::string m_base, m_shared, m_secret, m_secretAsWritten;
  std::map<std::string, std::string> m_planted;  // name -> describe() when planted
};

const std::vector<std::string> kReplace = {"replace", "hello", "bye", "victim.txt"};

TEST_P(SharedFolder, VictimsOwnBackupMakesTheRoundTrip) {
  freshScene();
  Outcome r = runAsVictim(kReplace);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readRegular(shared("victim.txt")), "bye world\n");
  expectBackup("hello world\n");
  expectNothingOfTheAttackersTouched();

  r = runAsVictim({"restore-backups", "cfg.rpl"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readRegular(shared("victim.txt")), "hello world\n");
  expectBackup(nullptr);
  expectNothingOfTheAttackersTouched();
}

// One command of the victim's: `before` runs first and must succeed (it makes the backup to
// work on), then `args`, after which the file and its backup hold what is given.
struct VictimRun {
  const char* what;
  std::vector<std::string> before;
  std::vector<std::string> args;
  const char* fileAfter;
  const char* backupAfter;  // nullptr: no backup is left
};

// Work files of a run that is gone, planted by the attacker under the writer's names: never
// adopted as the victim's content nor removed, and not in the way of the victim's work.
TEST_P(SharedFolder, LeftoversBesideTheFileChangeNothing) {
  const std::vector<VictimRun> runs = {
      {"replace", {}, kReplace, "bye world\n", "hello world\n"},
      {"replace, nothing found",
       {},
       {"replace", "absent", "bye", "victim.txt"},
       "hello world\n",
       nullptr},
      {"run", {}, {"run", "cfg.rpl"}, "bye world\n", "hello world\n"},
      {"restore-backups", kReplace, {"restore-backups", "cfg.rpl"}, "hello world\n", nullptr},
      {"delete-backups", kReplace, {"delete-backups", "cfg.rpl", "--yes"}, "bye world\n", nullptr},
  };
  const size_t kinds = plantedLeftoverNames("victim.txt", {}, "").size();
  for (size_t kind = 0; kind < kinds; ++kind) {
    for (const Planting& planting : kPlantings) {
      for (const VictimRun& run : runs) {
        freshScene();
        struct stat victim {};
        ASSERT_EQ(::stat(shared("victim.txt").c_str(), &victim), 0);
        const std::string name = plantedLeftoverNames("victim.txt", victim, "hello world\n")[kind];
        SCOPED_TRACE(name + " planted as " + planting.what + ", victim runs " + run.what);
        ASSERT_NO_FATAL_FAILURE(plant(name, planting.plant));
        if (!run.before.empty()) {
          Outcome first = runAsVictim(run.before);
          EXPECT_EQ(first.status, 0) << "before:" << joined(run.before) << "\n" << first.err;
        }
        Outcome r = runAsVictim(run.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(readRegular(shared("victim.txt")), run.fileAfter);
        expectBackup(run.backupAfter);
        expectNothingOfTheAttackersTouched();
      }
    }
  }
}

// The backup's name taken by the attacker: every command refuses the file before writing, and
// never reads back, replaces, writes through or deletes what is there.
TEST_P(SharedFolder, PlantedBackupIsNeverReadAdoptedWrittenThroughOrDeleted) {
  const std::vector<std::vector<std::string>> runs = {
      kReplace, {"restore-backups", "cfg.rpl"}, {"delete-backups", "cfg.rpl", "--yes"}};
  for (const Planting& planting : kPlantings) {
    for (const std::vector<std::string>& args : runs) {
      SCOPED_TRACE(std::string("victim.txt.rpf planted as ") + planting.what + ", victim runs" +
                   joined(args));
      freshScene();
      ASSERT_NO_FATAL_FAILURE(plant("victim.txt.rpf", planting.plant));
      Outcome r = runAsVictim(args);
      EXPECT_EQ(r.status, 1) << r.err;
      EXPECT_NE(r.err.find("victim.txt.rpf"), std::string::npos) << r.err;
      EXPECT_EQ(readRegular(shared("victim.txt")), "hello world\n");
      expectNothingOfTheAttackersTouched();
    }
  }
}

// A report is not written through the attacker's link to the victim's private file.
TEST_P(SharedFolder, ReportIsNotWrittenThroughAPlantedLink) {
  freshScene();
  ASSERT_NO_FATAL_FAILURE(plant("report.txt", Plant::LinkToSecret));
  std::vector<std::string> args = kReplace;
  args.insert(args.end(), {"--report", "report.txt"});
  Outcome r = runAsVictim(args);
  EXPECT_EQ(r.status, 1) << r.err;
  expectNothingOfTheAttackersTouched();
}

// The attacker re-points a link in the listed path from the victim's folder to their own while
// the victim's run waits for an answer, between reading the file and writing it: the run
// writes the file and its backup in the folder it read, and nothing in the other.
TEST_P(SharedFolder, AFolderSwappedDuringARunMixesNothing) {
  freshScene();
  const std::string mine = shared("mine"), theirs = shared("theirs");
  for (const std::string& folder : {mine, theirs}) fs::create_directory(folder);
  ::chown(mine.c_str(), kVictim, kVictim);
  ::chown(theirs.c_str(), kAttacker, kAttacker);
  writeOwned(mine + "/victim.txt", "hello world\n", kVictim, 0640);
  writeOwned(theirs + "/victim.txt", kAttackerContent, kAttacker, 0644);
  writeOwned(theirs + "/victim.txt.rpf", kAttackerContent, kAttacker, 0644);
  fs::create_directory_symlink("mine", shared("d"));
  ::lchown(shared("d").c_str(), kAttacker, kAttacker);
  const std::string theirsBefore = describe(theirs);
  const auto swapFolder = [&] {
    fs::remove(shared("d"));
    fs::create_directory_symlink("theirs", shared("d"));
  };
  const Outcome r =
      runAsVictim({"replace", "--confirm", "hello", "bye", "d/victim.txt"}, swapFolder);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readRegular(mine + "/victim.txt"), "bye world\n");
  EXPECT_EQ(readRegular(mine + "/victim.txt.rpf"), "hello world\n");
  EXPECT_EQ(describe(theirs), theirsBefore);
  EXPECT_EQ(readRegular(theirs + "/victim.txt.rpf"), kAttackerContent);
}

INSTANTIATE_TEST_SUITE_P(Security, SharedFolder,
                         ::testing::Values(FolderKind::StickyWritableByAll,
                                           FolderKind::GroupProject),
                         [](const auto& param) { return ::testing::PrintToString(param.param); });

}  // namespace
}  // namespace tw
