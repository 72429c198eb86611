#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "monitor/board_check.h"

namespace monitor_test {

// One call a check made on its host, with its arguments.
struct HostCall {
  std::string kind;
  int number = 0;  // row, milliseconds
  int column = 0;
  text::Text text;
  text::Text caption;

  bool operator==(const HostCall&) const = default;
};

void PrintTo(const HostCall& call, std::ostream* out);

// A host that records every call in order and answers from a script. Pause does not sleep
// unless told to. Safe to share between checks running at once.
class RecordingHost : public monitor::BoardCheckHost {
 public:
  struct Row {
    text::Text title;
    text::Text postedTime;
    text::Text link;
  };

  void AppendLog(const text::Text& line) override;
  int InsertRow() override;
  void SetCell(int row, int column, const text::Text& value) override;
  void SetTimerPeriod(int milliseconds) override;
  text::Text ReadInterval() override;
  void Pause(int milliseconds) override;
  bool AskToOpen(const text::Text& text, const text::Text& caption) override;
  void OpenAddress(const text::Text& address) override;

  void SetInterval(const text::Text& interval);
  // Answers for the coming questions, in order; OK once they run out.
  void SetAnswers(std::deque<bool> answers);
  // Pause really sleeps this long, whatever it is asked for.
  void SetPauseSleep(std::chrono::milliseconds sleep);
  // The first `checks` InsertRow calls wait for each other before returning, and so do the
  // first `checks` SetCell calls, so that checks running at once each insert a row while the
  // others sit between inserting theirs and filling it. A wait gives up after `timeout`.
  void MeetAtRows(int checks, std::chrono::seconds timeout);
  // The content of this file (UTF-8 name) is noted each time a question is asked.
  void WatchFile(const std::string& path);

  std::vector<HostCall> Calls() const;
  std::vector<Row> Rows() const;
  // The watched file's content at each question; "(missing)" when it did not exist.
  std::vector<std::string> FileAtQuestions() const;
  // Waits until `line` has been logged `count` times; false after the timeout.
  bool WaitForLog(const text::Text& line, int count, std::chrono::seconds timeout) const;

 private:
  void Record(HostCall call);
  // With the lock held, after this call has added itself to `arrived`.
  void WaitForTheOthers(std::unique_lock<std::mutex>& lock, const int& arrived) const;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<HostCall> calls_;
  std::vector<Row> rows_;
  text::Text interval_ = "120";
  std::deque<bool> answers_;
  std::chrono::milliseconds pauseSleep_{0};
  int meeting_ = 0;
  std::chrono::seconds meetingTimeout_{0};
  int insertedRows_ = 0;
  int setCells_ = 0;
  std::string watchedFile_;
  std::vector<std::string> fileAtQuestions_;
};

}  // namespace monitor_test
