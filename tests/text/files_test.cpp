#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "text/code_page.h"
#include "text/text.h"

namespace text {
namespace {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "bw-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The directory as a GBK path text with Windows separators, as callers write them.
  Text Path(const std::string& utf8Name) const {
    std::string windows = dir_.string() + "/" + utf8Name;
    for (char& c : windows) {
      if (c == '/') c = '\\';
    }
    return Utf8ToGbk(windows);
  }

  std::string Contents(const fs::path& file) const {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  int EntryCount() const {
    return static_cast<int>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
};

TEST_F(FilesTest, WritesBuffersInOrderUnderTheUtf8Name) {
  const Text path = Path("软件id.txt");
  ASSERT_TRUE(WriteFileBytes(path, Bytes{'1', '2'}, Bytes{}, Bytes{'3', 0, '4'}));
  EXPECT_EQ(Contents(dir_ / "软件id.txt"), std::string("123\0"
                                                       "4",
                                                       5));
  EXPECT_EQ(ReadFileBytes(path), (Bytes{'1', '2', '3', 0, '4'}));
  EXPECT_EQ(EntryCount(), 1);  // nothing left over beside it
}

TEST_F(FilesTest, ReplacesAnExistingFileWhole) {
  const Text path = Path("id.txt");
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("a much longer old content")));
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("new")));
  EXPECT_EQ(BytesToText(ReadFileBytes(path)), "new");
  ASSERT_TRUE(WriteFileBytes(path, Bytes{}));
  EXPECT_TRUE(fs::exists(dir_ / "id.txt"));
  EXPECT_EQ(ReadFileBytes(path), Bytes{});
}

TEST_F(FilesTest, FailedWriteLeavesTheOldFileWhole) {
  const Text path = Path("id.txt");
  ASSERT_TRUE(WriteFileBytes(path, TextToBytes("old")));

  // A file size limit makes the write fail part-way, as a full disk would.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4;
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteFileBytes(path, TextToBytes("far too long for the limit"));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(Contents(dir_ / "id.txt"), "old");
  EXPECT_EQ(EntryCount(), 1);
}

TEST_F(FilesTest, FailuresGiveFalseOrEmpty) {
  EXPECT_FALSE(WriteFileBytes(Path("missing\\id.txt"), TextToBytes("x")));
  EXPECT_EQ(ReadFileBytes(Path("missing.txt")), Bytes{});
  fs::create_directory(dir_ / "sub");
  EXPECT_FALSE(WriteFileBytes(Path("sub"), TextToBytes("x")));
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
  EXPECT_EQ(ReadFileBytes(Path("sub")), Bytes{});
  EXPECT_EQ(EntryCount(), 1);
}

TEST_F(FilesTest, EmptyPathCreatesNothing) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  EXPECT_FALSE(WriteFileBytes("", TextToBytes("x")));
  EXPECT_EQ(ReadFileBytes(""), Bytes{});
  fs::current_path(before);
  EXPECT_EQ(EntryCount(), 0);
}

TEST_F(FilesTest, RelativePathsResolveInTheCurrentDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  const bool written = WriteFileBytes(Utf8ToGbk("软件id.txt"), TextToBytes("42"));
  const Bytes read = ReadFileBytes(Utf8ToGbk("软件id.txt"));
  fs::current_path(before);
  EXPECT_TRUE(written);
  EXPECT_EQ(read, TextToBytes("42"));
  EXPECT_EQ(Contents(dir_ / "软件id.txt"), "42");
}

TEST(RunDirectoryTest, DirectoryOfTheProgramWithoutTrailingSeparator) {
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  const Text dir = RunDirectory();
  EXPECT_EQ(dir, Utf8ToGbk(exe.parent_path().string()));
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '/');

  const Text beside = dir + Utf8ToGbk("\\软件id-run-directory-test.txt");
  ASSERT_TRUE(WriteFileBytes(beside, TextToBytes("7")));
  const fs::path written = exe.parent_path() / "软件id-run-directory-test.txt";
  EXPECT_EQ(ReadFileBytes(beside), TextToBytes("7"));
  EXPECT_TRUE(fs::exists(written));
  fs::remove(written);
}

}  // namespace
}  // namespace text
