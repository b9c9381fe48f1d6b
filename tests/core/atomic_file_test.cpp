#include "export/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "mapdata/eld_error.h"
#include "tests/core/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public eld::testing::TempFolderTest {
  protected:
    int FilesInDir() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
    }
};

TEST_F(AtomicFileTest, WritesNewFileAndLeavesNoTemporary) {
    fs::path p = dir_ / "a.txt";
    eld::AtomicWrite(p.string(), std::string("hello\r\n", 7));
    EXPECT_EQ(Read(p), std::string("hello\r\n", 7));
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(AtomicFileTest, ReplacesExistingFileKeepingItsPermissions) {
    fs::path p = dir_ / "a.txt";
    Put(p, "old content that is longer");
    ::chmod(p.c_str(), 0640);
    eld::AtomicWrite(p.string(), "new");
    EXPECT_EQ(Read(p), "new");
    struct stat st;
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(AtomicFileTest, RootReplacingAnotherOwnersReadOnlyFileKeepsOwnerGroupAndMode) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    fs::path p = dir_ / "theirs.txt";
    Put(p, "old");
    ASSERT_EQ(::chown(p.c_str(), 1234, 5678), 0);
    ::chmod(p.c_str(), 0444);
    eld::AtomicWrite(p.string(), "new");
    struct stat st;
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(Read(p), "new");
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 5678u);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(AtomicFileTest, PiecewiseWritesLargerThanTheBufferArriveInOrder) {
    fs::path p = dir_ / "big.bin";
    std::string expect;
    {
        eld::AtomicFile f(p.string());
        for (int i = 0; i < 50000; ++i) {
            std::string piece = std::to_string(i) + ",";
            f.write(piece);
            expect += piece;
        }
        std::string block(200000, 'x');  // one write above the buffer size
        f.write(block.data(), block.size());
        expect += block;
        f.write("end");
        expect += "end";
        f.commit();
    }
    EXPECT_EQ(Read(p), expect);
}

TEST_F(AtomicFileTest, AbandonedWriteLeavesOldFileAndNoTemporary) {
    fs::path p = dir_ / "keep.txt";
    Put(p, "old");
    {
        eld::AtomicFile f(p.string());
        f.write("half of the new con");
        // destroyed without commit, as when the writer throws half way
    }
    EXPECT_EQ(Read(p), "old");
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(AtomicFileTest, FailedWriteKeepsOldFileAndNamesIt) {
    // A file-size limit makes write() fail half way, like a full disk, and works
    // also for root (who ignores folder permissions).
    fs::path p = dir_ / "keep.tga";
    Put(p, "old picture");
    struct rlimit old_limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old_limit;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string what;
    eld::ErrorKind kind = eld::ErrorKind::Fatal;
    try {
        eld::AtomicWrite(p.string(), std::string(300000, 'p'));
    } catch (const eld::EldError& e) {
        what = e.what();
        kind = e.kind();
    }
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_NE(what.find(p.string()), std::string::npos) << what;
    EXPECT_EQ(kind, eld::ErrorKind::Recoverable);
    EXPECT_EQ(Read(p), "old picture");
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(AtomicFileTest, MissingFolderIsReportedWithTheFileName) {
    fs::path p = dir_ / "no_such_folder" / "x.pov";
    try {
        eld::AtomicWrite(p.string(), "x");
        FAIL() << "no error";
    } catch (const eld::EldError& e) {
        EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos);
    }
}

TEST_F(AtomicFileTest, ReadOnlyFolderOrFileKeepsOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders and files";
    fs::path p = dir_ / "keep.txt";
    Put(p, "old");
    for (bool folder : {true, false}) {
        if (folder)
            fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        else
            ::chmod(p.c_str(), 0444);
        EXPECT_THROW(eld::AtomicWrite(p.string(), "new"), eld::EldError) << folder;
        fs::permissions(dir_, fs::perms::owner_all);
        EXPECT_EQ(Read(p), "old");
        EXPECT_EQ(FilesInDir(), 1);
    }
}

TEST(AtomicFileDevice, DeviceIsWrittenDirectlyAndFullDeviceFails) {
    // A device cannot be replaced by a rename: it must stay a device.
    EXPECT_NO_THROW(eld::AtomicWrite("/dev/null", "discarded"));
    EXPECT_THROW(eld::AtomicWrite("/dev/full", std::string(10, 'x')), eld::EldError);
    struct stat st;
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(AtomicFileTest, SymlinkStaysALinkAndItsFileIsReplaced) {
    fs::path real = dir_ / "real.txt";
    fs::path link = dir_ / "link.txt";
    Put(real, "old");
    fs::create_symlink(real, link);
    eld::AtomicWrite(link.string(), "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "new");
    EXPECT_EQ(FilesInDir(), 2);
}

TEST_F(AtomicFileTest, FolderAsTargetIsRefused) {
    EXPECT_THROW(eld::AtomicWrite(dir_.string(), "x"), eld::EldError);
    EXPECT_TRUE(fs::is_directory(dir_));
}

}  // namespace
