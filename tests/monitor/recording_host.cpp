#include "tests/monitor/recording_host.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

#include "text/code_page.h"

namespace monitor_test {

void PrintTo(const HostCall& call, std::ostream* out) {
  *out << call.kind << "(" << call.number << ", " << call.column << ", \""
       << text::GbkToUtf8(call.text) << "\", \"" << text::GbkToUtf8(call.caption) << "\")";
}

void RecordingHost::Record(HostCall call) {
  calls_.push_back(std::move(call));
  changed_.notify_all();
}

void RecordingHost::AppendLog(const text::Text& line) {
  const std::lock_guard lock(mutex_);
  Record({"AppendLog", 0, 0, line, {}});
}

void RecordingHost::WaitForTheOthers(std::unique_lock<std::mutex>& lock, const int& arrived) const {
  if (arrived <= meeting_) {
    changed_.wait_for(lock, meetingTimeout_, [&] { return arrived >= meeting_; });
  }
}

int RecordingHost::InsertRow() {
  std::unique_lock lock(mutex_);
  rows_.emplace_back();
  const int row = static_cast<int>(rows_.size()) - 1;
  ++insertedRows_;
  Record({"InsertRow", row, 0, {}, {}});
  WaitForTheOthers(lock, insertedRows_);
  return row;
}

void RecordingHost::SetCell(int row, int column, const text::Text& value) {
  std::unique_lock lock(mutex_);
  ++setCells_;
  Record({"SetCell", row, column, value, {}});
  WaitForTheOthers(lock, setCells_);
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    return;
  }
  Row& cells = rows_[static_cast<std::size_t>(row)];
  (column == 0 ? cells.title : column == 1 ? cells.postedTime : cells.link) = value;
}

void RecordingHost::SetTimerPeriod(int milliseconds) {
  const std::lock_guard lock(mutex_);
  Record({"SetTimerPeriod", milliseconds, 0, {}, {}});
}

text::Text RecordingHost::ReadInterval() {
  const std::lock_guard lock(mutex_);
  Record({"ReadInterval", 0, 0, {}, {}});
  return interval_;
}

void RecordingHost::Pause(int milliseconds) {
  std::chrono::milliseconds sleep{0};
  {
    const std::lock_guard lock(mutex_);
    Record({"Pause", milliseconds, 0, {}, {}});
    sleep = pauseSleep_;
  }
  std::this_thread::sleep_for(sleep);
}

bool RecordingHost::AskToOpen(const text::Text& text, const text::Text& caption) {
  const std::lock_guard lock(mutex_);
  Record({"AskToOpen", 0, 0, text, caption});
  if (!watchedFile_.empty()) {
    std::ifstream in(watchedFile_, std::ios::binary);
    fileAtQuestions_.push_back(in ? std::string(std::istreambuf_iterator<char>(in), {})
                                  : std::string("(missing)"));
  }
  if (answers_.empty()) {
    return true;
  }
  const bool answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingHost::OpenAddress(const text::Text& address) {
  const std::lock_guard lock(mutex_);
  Record({"OpenAddress", 0, 0, address, {}});
}

void RecordingHost::SetInterval(const text::Text& interval) {
  const std::lock_guard lock(mutex_);
  interval_ = interval;
}

void RecordingHost::SetAnswers(std::deque<bool> answers) {
  const std::lock_guard lock(mutex_);
  answers_ = std::move(answers);
}

void RecordingHost::SetPauseSleep(std::chrono::milliseconds sleep) {
  const std::lock_guard lock(mutex_);
  pauseSleep_ = sleep;
}

void RecordingHost::MeetAtRows(int checks, std::chrono::seconds timeout) {
  const std::lock_guard lock(mutex_);
  meeting_ = checks;
  meetingTimeout_ = timeout;
}

void RecordingHost::WatchFile(const std::string& path) {
  const std::lock_guard lock(mutex_);
  watchedFile_ = path;
}

std::vector<HostCall> RecordingHost::Calls() const {
  const std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<RecordingHost::Row> RecordingHost::Rows() const {
  const std::lock_guard lock(mutex_);
  return rows_;
}

std::vector<std::string> RecordingHost::FileAtQuestions() const {
  const std::lock_guard lock(mutex_);
  return fileAtQuestions_;
}

bool RecordingHost::WaitForLog(const text::Text& line, int count,
                               std::chrono::seconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return std::count_if(calls_.begin(), calls_.end(), [&](const HostCall& call) {
             return call.kind == "AppendLog" && call.text == line;
           }) >= count;
  });
}

}  // namespace monitor_test
