#pragma once
// A RunHost for tests: confirmation answers are queued beforehand, and everything the run
// reports is recorded.

#include "engine/Clock.h"
#include "engine/RunHost.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tw::test {

class ScriptedHost : public RunHost {
 public:
  std::deque<ConfirmDecision> answers;  // missing answers fail the test
  std::vector<ConfirmRequest> asked;
  std::vector<std::string> started;
  std::vector<int> progressSeen;
  // Cancel is requested once this many files have started (-1: never).
  int cancelAfterStarted = -1;
  struct Change {
    std::string path, before, after;
  };
  std::vector<Change> changes;
  std::map<std::string, std::string> refusals;  // path -> the reason refuseContent gives
  struct Recorded {
    size_t entry;
    int64_t count;
    std::string failure;
    bool operator==(const Recorded&) const = default;
  };
  std::vector<Recorded> recorded;

  ConfirmDecision confirm(const ConfirmRequest& request) override {
    asked.push_back(request);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected confirmation in " << request.path;
      return ConfirmDecision::SkipAllFiles;
    }
    ConfirmDecision answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void fileStarted(const std::string& path) override { started.push_back(path); }
  void progress(int percent) override { progressSeen.push_back(percent); }
  bool cancelRequested() override {
    return cancelAfterStarted >= 0 && static_cast<int>(started.size()) >= cancelAfterStarted;
  }
  std::string refuseContent(const std::string& path, std::string_view) override {
    const auto found = refusals.find(path);
    return found == refusals.end() ? std::string() : found->second;
  }
  void fileRecorded(size_t entry, int64_t count, std::string_view failure) override {
    recorded.push_back({entry, count, std::string(failure)});
  }
  void fileChanged(const std::string& path, std::string_view before,
                   std::string_view after) override {
    changes.push_back({path, std::string(before), std::string(after)});
  }
};

// A clock that gives the moments queued, then repeats the last.
class FixedClock : public Clock {
 public:
  std::deque<LocalMoment> moments{LocalMoment{{9, 5, 7, 0}, {2026, 7, 3}}};
  LocalMoment now() override {
    LocalMoment m = moments.front();
    if (moments.size() > 1) moments.pop_front();
    return m;
  }
};

}  // namespace tw::test
