#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/core/Files.h"
#include "platform/core/SharedFile.h"
#include "platform/core/tests/TempDir.h"

namespace zv::core {
namespace {

using zv::testing::TempDir;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WriteFileAtomically, ReplacesTheWholeFileAndLeavesNoTemporary) {
    TempDir dir;
    const std::string target = dir.Put("Map01.ddm", "a much longer old content");
    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "MAP01.DDM", "new", 3));
    EXPECT_EQ(TempDir::Read(target), "new");  // no stale tail of the old file
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"Map01.ddm"});

    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "Fresh.dat", "", 0));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "Fresh.dat"));
    EXPECT_EQ(std::filesystem::file_size(dir.Path() + "Fresh.dat"), 0u);
}

TEST(WriteFileAtomically, KeepsPermissionBits) {
    TempDir dir;
    const std::string target = dir.Put("keep.ini", "x");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(target, "yy", 2));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriteFileAtomically, FailureChangesNothing) {
    TempDir dir;
    const std::string target = dir.Put("held.dat", "old");
    dir.MakeDir("folder.dat");

    // Missing folder, a folder as the target, a path ending in a separator, no data.
    EXPECT_FALSE(WriteFileAtomically(dir.Path() + "NoSuchDir\\x.dat", "new", 3));
    EXPECT_FALSE(WriteFileAtomically(dir.Path() + "folder.dat", "new", 3));
    EXPECT_FALSE(WriteFileAtomically(dir.Path() + "held.dat\\", "new", 3));
    EXPECT_FALSE(WriteFileAtomically(target, nullptr, 3));
    EXPECT_FALSE(WriteFileAtomically("", "new", 3));

    // A file this process holds open (no delete sharing) cannot be replaced.
    FileHandle h =
        OpenSharedFile(target, FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
    ASSERT_NE(h, kInvalidFileHandle);
    EXPECT_FALSE(WriteFileAtomically(target, "new", 3));
    EXPECT_TRUE(CloseSharedFile(h));

    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"folder.dat", "held.dat"}));
}

// A process id that belonged to a child which has been reaped, so nothing runs under it.
pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::string TemporaryName(const std::string& target, long pid, int counter) {
    return "." + target + "." + std::to_string(pid) + "." + std::to_string(counter) + ".tmp";
}

TEST(WriteFileAtomically, TemporaryNamesAreRecognised) {
    long pid = 0;
    EXPECT_TRUE(IsAtomicWriteTemporary(".SAVE01.ddg.4242.7.tmp", &pid));
    EXPECT_EQ(pid, 4242);
    for (const char* name : {"SAVE01.ddg", ".SAVE01.ddg", ".SAVE01.ddg.tmp", "..1.2.tmp",
                             ".x.ddg.12a.3.tmp", ".x.ddg.12.3.TMP", ".x.ddg.0.3.tmp",
                             ".x.ddg.12..tmp", "x.ddg.12.3.tmp"})
        EXPECT_FALSE(IsAtomicWriteTemporary(name)) << name;
}

TEST(WriteFileAtomically, TheNextWriteRemovesTemporariesOfDeadWritersOnly) {
    TempDir dir;
    const pid_t dead = DeadPid();
    const std::string leftover = TemporaryName("GAME01.ddg", dead, 3);
    dir.Put(leftover, "half a save");
    // A writer that still runs keeps its temporary.
    const pid_t live = ::fork();
    if (live == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::string working = TemporaryName("GAME02.ddg", live, 0);
    dir.Put(working, "being written");
    dir.Put("GAME03.ddg", "a save");

    // The lists never show a temporary, even to a pattern that would match it.
    EXPECT_EQ(ListDirectory(dir.Path(), "*"), std::vector<std::string>{"GAME03.ddg"});

    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "GAME04.ddg", "new", 3));
    EXPECT_EQ(Entries(dir.Path()),
              (std::vector<std::string>{working, "GAME03.ddg", "GAME04.ddg"}));
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
}

TEST(WriteFileAtomically, AWriterKilledMidWriteLosesNothing) {
    TempDir dir;
    const std::string target = dir.Path() + "GAME01.ddg";
    const std::string oldBytes(1 << 20, 'o');
    ASSERT_TRUE(WriteFileAtomically(target, oldBytes.data(), oldBytes.size()));

    // Kill writers until one dies between making its temporary and the rename.
    bool leftTemporary = false;
    for (int attempt = 0; attempt < 50 && !leftTemporary; ++attempt) {
        const pid_t writer = ::fork();
        if (writer == 0) {
            const std::string newBytes(8 << 20, 'n');
            for (;;) WriteFileAtomically(target, newBytes.data(), newBytes.size());
        }
        for (int poll = 0; poll < 2000 && !leftTemporary; ++poll) {
            for (const std::string& name : Entries(dir.Path()))
                if (IsAtomicWriteTemporary(name)) leftTemporary = true;
            if (!leftTemporary) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        leftTemporary = false;
        for (const std::string& name : Entries(dir.Path()))
            if (IsAtomicWriteTemporary(name)) leftTemporary = true;
    }
    ASSERT_TRUE(leftTemporary) << "no writer was caught mid-write";

    // The save is whole, old or new, and the next save clears what the dead writer left.
    const std::string now = TempDir::Read(target);
    EXPECT_TRUE(now == oldBytes || now == std::string(8 << 20, 'n'));
    ASSERT_TRUE(WriteFileAtomically(dir.Path() + "GAME02.ddg", "x", 1));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"GAME01.ddg", "GAME02.ddg"}));
}

TEST(ReadWholeFile, ReadsExactBytesOrNothing) {
    TempDir dir;
    const std::string bytes("a\0b\xFF", 4);
    dir.Put("Data/Bin.dat", bytes);
    auto got = ReadWholeFile(dir.Path() + "\\DATA\\bin.DAT");
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(std::string(got->begin(), got->end()), bytes);
    EXPECT_FALSE(ReadWholeFile(dir.Path() + "missing.dat").has_value());
    EXPECT_FALSE(ReadWholeFile(dir.Path() + "Data").has_value());

    // Held without read sharing: refused.
    FileHandle h = OpenSharedFile(dir.Path() + "Data/Bin.dat", FileAccess::Read, FileShare::None,
                                  FileCreation::OpenExisting);
    EXPECT_FALSE(ReadWholeFile(dir.Path() + "Data/Bin.dat").has_value());
    CloseSharedFile(h);
}

TEST(FileQueries, ExistenceDeletionAndTimes) {
    TempDir dir;
    const std::string file = dir.Put("Save/Game1.DDG", "g");
    EXPECT_TRUE(FileExists(dir.Path() + "\\save\\game1.ddg"));
    EXPECT_FALSE(FileExists(dir.Path() + "\\save"));
    EXPECT_TRUE(DirectoryExists(dir.Path() + "\\SAVE\\"));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(FileExists(dir.Path() + "\\save\\game2.ddg"));

    const timespec times[2] = {{1000000000, 0}, {1000000123, 456000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    auto when = GetLastWriteTime(dir.Path() + "SAVE\\GAME1.ddg");
    ASSERT_TRUE(when.has_value());
    EXPECT_EQ(
        std::chrono::duration_cast<std::chrono::milliseconds>(when->time_since_epoch()).count(),
        1000000123456LL);
    EXPECT_FALSE(GetLastWriteTime(dir.Path() + "nothing").has_value());

    // A held file is not deleted; once closed it is.
    FileHandle h =
        OpenSharedFile(file, FileAccess::Read, FileShare::ReadWrite, FileCreation::OpenExisting);
    EXPECT_FALSE(DeleteFile(dir.Path() + "save\\game1.ddg"));
    EXPECT_TRUE(std::filesystem::exists(file));
    CloseSharedFile(h);
    EXPECT_TRUE(DeleteFile(dir.Path() + "save\\game1.ddg"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(DeleteFile(dir.Path() + "save\\game1.ddg"));
    EXPECT_FALSE(DeleteFile(dir.Path() + "save"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "Save"));

    EXPECT_TRUE(CreateDirectory(dir.Path() + "\\USER\\"));
    EXPECT_TRUE(CreateDirectory(dir.Path() + "\\user"));  // exists already: fine
    EXPECT_TRUE(DirectoryExists(dir.Path() + "USER"));
    EXPECT_FALSE(CreateDirectory(dir.Path() + "a\\b\\c"));
}

TEST(Wildcards, MatchWithoutRegardToCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"MAP?????.ddm", "MAP00001.ddm", true},
        {"MAP?????.ddm", "map00001.DDM", true},
        {"MAP?????.ddm", "MAP0001.ddm", false},
        {"MAP?????.ddm", "MAP000001.ddm", false},
        {"*.ddg", "save.DDG", true},
        {"*.ddg", ".ddg", true},
        {"*.ddg", "save.ddgx", false},
        {"*.ddg", "save.ddg.tmp", false},
        {"*", "", true},
        {"?", "", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"**x", "abx", true},
        {"useFrc??.prm", "USEFRC07.PRM", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
    }
}

TEST(Wildcards, ListDirectoryFiltersAndSorts) {
    TempDir dir;
    for (const char* name :
         {"map00002.DDM", "MAP00001.ddm", "MAP1.ddm", "save1.ddg", "SAVE2.DDG"}) {
        dir.Put(std::string("Map/") + name, "x");
    }
    dir.MakeDir("Map/folder.ddg");
    struct Case {
        std::string dir;
        const char* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {dir.Path() + "\\MAP\\", "MAP?????.ddm", {"MAP00001.ddm", "map00002.DDM"}},
        {dir.Path() + "map", "*.ddg", {"save1.ddg", "SAVE2.DDG"}},
        {dir.Path() + "map",
         "*",
         {"MAP00001.ddm", "map00002.DDM", "MAP1.ddm", "save1.ddg", "SAVE2.DDG"}},
        {dir.Path() + "map", "nothing*", {}},
        {dir.Path() + "NoDir", "*", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ListDirectory(c.dir, c.pattern), c.names) << c.pattern;
}

// Open file layer: the sharing rule and the creation modes.
TEST(SharedFile, SecondOpenFollowsTheSharingRule) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "0123456789");
    using A = FileAccess;
    using S = FileShare;
    struct Case {
        A firstAccess;
        S firstShare;
        A secondAccess;
        S secondShare;
        bool allowed;
    };
    const Case cases[] = {
        {A::Read, S::None, A::Read, S::ReadWrite, false},
        {A::Read, S::Read, A::Read, S::Read, true},
        {A::Read, S::Read, A::Write, S::ReadWrite, false},
        {A::Read, S::Read, A::Read, S::None, false},  // the newcomer must share the reader
        {A::Write, S::Read, A::Read, S::ReadWrite, true},
        {A::Write, S::Read, A::Read, S::Read, false},  // it would deny the holder's writing
        {A::Write, S::Write, A::Write, S::Write, true},
        {A::Write, S::Write, A::Read, S::ReadWrite, false},
        {A::ReadWrite, S::ReadWrite, A::ReadWrite, S::ReadWrite, true},
        {A::ReadWrite, S::Read, A::Read, S::ReadWrite, true},
        {A::ReadWrite, S::Read, A::ReadWrite, S::ReadWrite, false},
    };
    for (const Case& c : cases) {
        FileHandle first =
            OpenSharedFile(path, c.firstAccess, c.firstShare, FileCreation::OpenExisting);
        ASSERT_NE(first, kInvalidFileHandle);
        std::uint32_t error = 0;
        FileHandle second =
            OpenSharedFile(path, c.secondAccess, c.secondShare, FileCreation::OpenExisting, &error);
        EXPECT_EQ(second != kInvalidFileHandle, c.allowed)
            << int(c.firstAccess) << int(c.firstShare) << int(c.secondAccess) << int(c.secondShare);
        if (second != kInvalidFileHandle) {
            EXPECT_TRUE(CloseSharedFile(second));
        } else {
            EXPECT_EQ(error, kErrorSharingViolation);
        }
        EXPECT_TRUE(CloseSharedFile(first));
    }
}

TEST(SharedFile, RefusedCreateAlwaysDoesNotTruncate) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "keep me");
    FileHandle held =
        OpenSharedFile(path, FileAccess::Read, FileShare::None, FileCreation::OpenExisting);
    std::uint32_t error = 0;
    EXPECT_EQ(OpenSharedFile(path, FileAccess::Write, FileShare::None, FileCreation::CreateAlways,
                             &error),
              kInvalidFileHandle);
    EXPECT_EQ(error, kErrorSharingViolation);
    CloseSharedFile(held);
    EXPECT_EQ(TempDir::Read(path), "keep me");
}

TEST(SharedFile, OpenErrors) {
    TempDir dir;
    dir.MakeDir("sub");
    struct Case {
        std::string path;
        FileCreation creation;
        std::uint32_t error;
    };
    const Case cases[] = {
        {dir.Path() + "missing.dat", FileCreation::OpenExisting, kErrorFileNotFound},
        {dir.Path() + "nodir/missing.dat", FileCreation::OpenExisting, kErrorPathNotFound},
        {dir.Path() + "nodir/new.dat", FileCreation::OpenAlways, kErrorPathNotFound},
        {dir.Path() + "sub", FileCreation::OpenExisting, kErrorAccessDenied},
        {"", FileCreation::OpenAlways, kErrorPathNotFound},
    };
    for (const Case& c : cases) {
        std::uint32_t error = 0;
        EXPECT_EQ(OpenSharedFile(c.path, FileAccess::Read, FileShare::None, c.creation, &error),
                  kInvalidFileHandle)
            << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
}

TEST(SharedFile, StaleAndForeignHandlesAreRefused) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "abc");
    FileHandle h =
        OpenSharedFile(path, FileAccess::Read, FileShare::None, FileCreation::OpenExisting);
    ASSERT_TRUE(CloseSharedFile(h));
    char buffer[4];
    std::uint32_t error = 0;
    EXPECT_FALSE(CloseSharedFile(h, &error));
    EXPECT_EQ(error, kErrorInvalidHandle);
    EXPECT_EQ(ReadSharedFile(h, buffer, 3), -1);
    EXPECT_EQ(WriteSharedFile(h, "x", 1), -1);
    EXPECT_EQ(SeekSharedFile(h, 0, 0), -1);
    // Handles are not descriptors: 0, 1 and 2 are not the standard streams here.
    for (FileHandle fake : {FileHandle{0}, FileHandle{1}, FileHandle{2}, kInvalidFileHandle}) {
        EXPECT_EQ(WriteSharedFile(fake, "x", 1), -1);
    }
}

TEST(SharedFile, SeekStaysWithinTheFile) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "0123456789");
    FileHandle h =
        OpenSharedFile(path, FileAccess::Read, FileShare::None, FileCreation::OpenExisting);
    EXPECT_EQ(SeekSharedFile(h, 4, 0), 4);
    EXPECT_EQ(SeekSharedFile(h, 2, 1), 6);
    std::uint32_t error = 0;
    EXPECT_EQ(SeekSharedFile(h, -7, 1, &error), -1);
    EXPECT_EQ(error, kErrorNegativeSeek);
    EXPECT_EQ(SeekSharedFile(h, INT64_MIN, 1), -1);
    EXPECT_EQ(SeekSharedFile(h, 0, 3), -1);
    char c = 0;
    EXPECT_EQ(ReadSharedFile(h, &c, 1), 1);
    EXPECT_EQ(c, '6');  // the refused seeks left the position alone
    EXPECT_EQ(SeekSharedFile(h, -1, 2), 9);
    EXPECT_EQ(SharedFileSize(h), 10);
    CloseSharedFile(h);
}

}  // namespace
}  // namespace zv::core
