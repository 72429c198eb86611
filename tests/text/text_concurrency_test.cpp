#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "text/code_page.h"
#include "text/text.h"
#include "text/text_helpers.h"

namespace text {
namespace {

namespace fs = std::filesystem;

constexpr int kThreads = 8;

// The board check runs on worker threads while the window thread uses the same operations.
TEST(TextConcurrencyTest, ConversionsAndHelpersOnManyThreads) {
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([i, &failures] {
      for (int round = 0; round < 200; ++round) {
        const Text id = IntToText(i * 1000 + round);
        // The quote marker is converted once, on whichever thread gets there first.
        const Text page = Utf8ToGbk("<a id=\"" + id + "\">新帖子</a>");
        if (TextBetween(page, Utf8ToGbk("id=#引号"), Utf8ToGbk("#引号")) != id) ++failures[i];
        if (GbkToUtf8(TextBetween(page, ">", "<")) != "新帖子") ++failures[i];
        if (ConvertCodePage("a\xFF", "UTF-8", "UTF-16LE") != std::string("a\0?\0", 4)) {
          ++failures[i];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_EQ(failures[i], 0) << "thread " << i;
}

// Writers racing on one file: each replaces it whole, so a reader only ever sees one
// writer's complete content, and no temporary file stays behind.
TEST(TextConcurrencyTest, RacingWritersReplaceTheFileWhole) {
  std::string pattern = (fs::temp_directory_path() / "bw-race-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  const Text path = Utf8ToGbk((dir / "软件id.txt").string());

  std::vector<Text> contents;
  for (int i = 0; i < kThreads; ++i) contents.push_back(Text(1000 + i, static_cast<char>('a' + i)));
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([i, &path, &contents, &failures] {
      for (int round = 0; round < 20; ++round) {
        if (!WriteFileBytes(path, TextToBytes(contents[static_cast<std::size_t>(i)]))) {
          ++failures[i];
        }
        const Text seen = BytesToText(ReadFileBytes(path));
        bool whole = false;
        for (const Text& content : contents) whole = whole || seen == content;
        if (!whole) ++failures[i];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_EQ(failures[i], 0) << "thread " << i;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace text
