#pragma once

#include "text/text.h"

namespace monitor {

// How a check reaches the window and the platform. Every call may come from any thread and
// has taken effect when it returns.
class BoardCheckHost {
 public:
  virtual ~BoardCheckHost() = default;

  // Adds the text after the log box's current content.
  virtual void AppendLog(const text::Text& line) = 0;
  // Adds a row with empty cells after the last one; its 0-based index, or -1 when refused.
  virtual int InsertRow() = 0;
  // Column 0 is the title, 1 the posting time, 2 the address.
  virtual void SetCell(int row, int column, const text::Text& value) = 0;
  // 0 stops the timer, a positive value starts it afresh; the period it already has changes
  // nothing.
  virtual void SetTimerPeriod(int milliseconds) = 0;
  // The refresh interval box's current text.
  virtual text::Text ReadInterval() = 0;
  virtual void Pause(int milliseconds) = 0;
  // Asks with OK and Cancel and waits for the answer; true for OK.
  virtual bool AskToOpen(const text::Text& text, const text::Text& caption) = 0;
  // Hands the address to the default browser.
  virtual void OpenAddress(const text::Text& address) = 0;
};

// Where a check looks: the forum it fetches from and the directory of the id file.
struct BoardSite {
  text::Text forumBaseUrl;
  text::Text idFileDirectory;

  // kForumBaseUrl and the program's directory.
  static BoardSite Default();
};

// One complete check of the board: fetch its first page, announce every topic before the
// stored id, store the page's first id. Blocks until every announcement has been answered.
void RunBoardCheck(int board, const BoardSite& site, BoardCheckHost& host);

// Runs RunBoardCheck(kBoardNumber, site, host) on a new detached thread and returns at once.
// The host must outlive every check started on it.
void StartBoardCheck(const BoardSite& site, BoardCheckHost& host);

}  // namespace monitor
