#include "settings/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "folder.h"

namespace tq::settings {
namespace {

using test::bytesOf;
using test::modeOf;
using test::putBytes;
using test::ScratchFolder;

// Another copy of the program: a child process that holds a flock on a file until released.
class OtherCopyHolding {
public:
    OtherCopyHolding(const std::string& path, int how) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) {
            std::abort();
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            int fd = ::open(path.c_str(), O_RDONLY);
            char ok = (fd >= 0 && ::flock(fd, how) == 0) ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char ok = '0';
        (void)!::read(ready[0], &ok, 1);
        ::close(ready[0]);
        locked_ = ok == '1';
    }
    ~OtherCopyHolding() { release(); }
    bool locked() const { return locked_; }
    void release() {
        if (pid_ > 0) {
            ::close(release_);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};

class InterruptBeforeReplace {
public:
    explicit InterruptBeforeReplace(testing::BeforeReplaceHook hook) {
        testing::beforeReplace = hook;
    }
    ~InterruptBeforeReplace() { testing::beforeReplace = nullptr; }
};

TEST(ReadFile, GivesTheWholeFileByteForByte) {
    ScratchFolder folder;
    std::string bytes("a\r\nb\0c\xFF\xFE", 8);
    bytes += std::string(200000, '\x81');  // larger than any single buffer
    putBytes(folder / "f", bytes);
    EXPECT_EQ(readFile(folder / "f"), bytes);
    putBytes(folder / "empty", "");
    EXPECT_EQ(readFile(folder / "empty"), std::string());
}

TEST(ReadFile, GivesNothingForWhatIsNotAReadableFile) {
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0644), 0);
    ::mkdir((folder / "dir").c_str(), 0755);
    ::symlink("nowhere", (folder / "dangling").c_str());
    // A FIFO with no writer would block an ordinary open forever.
    for (const char* name : {"missing", "dir", "fifo", "dangling"}) {
        EXPECT_EQ(readFile(folder / name), std::nullopt) << name;
    }
}

TEST(WriteFile, CreatesOrReplacesTheFileAndLeavesNothingElse) {
    ScratchFolder folder;
    const std::string target = folder / "dizhi.ini";
    ASSERT_TRUE(writeFile(target, "first"));
    EXPECT_EQ(bytesOf(target), "first");
    ASSERT_TRUE(writeFile(target, std::string("x\0y", 3)));
    EXPECT_EQ(bytesOf(target), std::string("x\0y", 3));
    ASSERT_TRUE(writeFile(target, ""));
    EXPECT_EQ(bytesOf(target), "");
    EXPECT_EQ(folder.names(), std::set<std::string>{"dizhi.ini"});
}

TEST(WriteFile, KeepsThePermissionBitsOfTheOldFileAndTheUmaskForANewOne) {
    ScratchFolder folder;
    const std::string kept = folder / "kept";
    putBytes(kept, "old");
    ::chmod(kept.c_str(), 0604);
    ASSERT_TRUE(writeFile(kept, "new"));
    EXPECT_EQ(modeOf(kept), 0604u);

    mode_t previous = ::umask(027);
    bool written = writeFile(folder / "fresh", "new");
    ::umask(previous);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(folder / "fresh"), 0640u);
}

TEST(WriteFile, FollowsASymbolicLinkAndReplacesItsTarget) {
    ScratchFolder folder;
    ::mkdir((folder / "real").c_str(), 0755);
    ::mkdir((folder / "links").c_str(), 0755);
    putBytes(folder / "real/dizhi.ini", "old");
    ::chmod((folder / "real/dizhi.ini").c_str(), 0600);
    ::symlink("../real/dizhi.ini", (folder / "links/dizhi.ini").c_str());
    ::symlink("dizhi.ini", (folder / "links/chain.ini").c_str());
    ::symlink("../real/later.ini", (folder / "links/dangling.ini").c_str());

    ASSERT_TRUE(writeFile(folder / "links/chain.ini", "new"));
    ASSERT_TRUE(writeFile(folder / "links/dangling.ini", "created"));

    EXPECT_EQ(bytesOf(folder / "real/dizhi.ini"), "new");
    EXPECT_EQ(modeOf(folder / "real/dizhi.ini"), 0600u);
    EXPECT_EQ(bytesOf(folder / "real/later.ini"), "created");
    struct stat st;
    ASSERT_EQ(::lstat((folder / "links/dizhi.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::lstat((folder / "links/chain.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(test::namesIn(folder / "links"),
              (std::set<std::string>{"dizhi.ini", "chain.ini", "dangling.ini"}));
    EXPECT_EQ(test::namesIn(folder / "real"), (std::set<std::string>{"dizhi.ini", "later.ini"}));
}

TEST(WriteFile, LeavesAFileThatCannotBeWrittenExactlyAsItWas) {
    // The tests run as root too: no write bit at all must count as read-only all the same.
    struct Case {
        const char* what;
        mode_t fileMode;
        mode_t folderMode;
    };
    for (const Case& c :
         {Case{"read-only file", 0444, 0755}, Case{"owner may only read", 0400, 0755},
          Case{"folder without write access", 0644, 0555}}) {
        ScratchFolder folder;
        const std::string target = folder / "dizhi.ini";
        putBytes(target, "old list\r\n");
        ::chmod(target.c_str(), c.fileMode);
        ::chmod(folder.path().c_str(), c.folderMode);

        EXPECT_FALSE(writeFile(target, "new")) << c.what;
        if (c.folderMode == 0555) {
            EXPECT_FALSE(writeFile(folder / "tezheng.ini", "new")) << c.what;
        }
        ::chmod(folder.path().c_str(), 0755);
        EXPECT_EQ(bytesOf(target), "old list\r\n") << c.what;
        EXPECT_EQ(modeOf(target), c.fileMode) << c.what;
        EXPECT_EQ(folder.names(), std::set<std::string>{"dizhi.ini"}) << c.what;
    }
}

TEST(WriteFile, RefusesToReplaceAFolder) {
    ScratchFolder folder;
    ::mkdir((folder / "dizhi.ini").c_str(), 0755);
    EXPECT_FALSE(writeFile(folder / "dizhi.ini", "new"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dizhi.ini"));
    EXPECT_EQ(folder.names(), std::set<std::string>{"dizhi.ini"});
}

std::string seenTemporary;
std::string seenTarget;
bool lookAndInterrupt(const std::string& temporaryPath, const std::string& target) {
    seenTemporary = bytesOf(temporaryPath);
    seenTarget = bytesOf(target);
    return false;
}

TEST(WriteFile, AnInterruptedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    ScratchFolder folder;
    const std::string target = folder / "dizhi.ini";
    putBytes(target, "http://a/\r\nhttp://b/\r\n");
    {
        InterruptBeforeReplace interrupt(lookAndInterrupt);
        EXPECT_FALSE(writeFile(target, "http://c/"));
    }
    // The new bytes were complete beside the old file when the save stopped.
    EXPECT_EQ(seenTemporary, "http://c/");
    EXPECT_EQ(seenTarget, "http://a/\r\nhttp://b/\r\n");
    EXPECT_EQ(bytesOf(target), "http://a/\r\nhttp://b/\r\n");
    EXPECT_EQ(folder.names(), std::set<std::string>{"dizhi.ini"});
}

TEST(WriteFile, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    ScratchFolder folder;
    const std::string target = folder / "dizhi.ini";
    putBytes(target, "old list");
    // The file size limit stands in for a full disk; it is set in a child so that it binds
    // nothing else in the test run.
    pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(writeFile(target, std::string(4096, 'x')) ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
    EXPECT_EQ(bytesOf(target), "old list");
    EXPECT_EQ(folder.names(), std::set<std::string>{"dizhi.ini"});
}

TEST(Sharing, ALockHeldByAnotherCopy) {
    struct Case {
        const char* what;
        int how;
        bool readable;
        bool writable;
    };
    for (const Case& c : {Case{"writing (exclusive)", LOCK_EX, false, false},
                          Case{"reading (shared)", LOCK_SH, true, false}}) {
        ScratchFolder folder;
        const std::string target = folder / "tezheng.ini";
        putBytes(target, "feature");
        {
            OtherCopyHolding other(target, c.how);
            ASSERT_TRUE(other.locked()) << c.what;
            EXPECT_EQ(readFile(target).has_value(), c.readable) << c.what;
            EXPECT_EQ(writeFile(target, "changed"), c.writable) << c.what;
            EXPECT_EQ(bytesOf(target), "feature") << c.what;
            EXPECT_EQ(folder.names(), std::set<std::string>{"tezheng.ini"}) << c.what;
        }
        // Once the other copy lets go, both work again.
        EXPECT_EQ(readFile(target), "feature") << c.what;
        EXPECT_TRUE(writeFile(target, "changed")) << c.what;
        EXPECT_EQ(bytesOf(target), "changed") << c.what;
    }
}

}  // namespace
}  // namespace tq::settings
