#include <gtest/gtest.h>

#include "framework/FileObject.h"
#include "platform/core/tests/TempDir.h"

namespace zv::fw {
namespace {

using zv::testing::TempDir;

TEST(FileObject, ReadingAMissingFileFailsAtTheFirstRead) {
    TempDir dir;
    auto file = FileObject::CreateOpen(dir.Path() + "\\DefencDk.dat", 0x8000);
    ASSERT_NE(file, nullptr);
    char buffer[16];
    EXPECT_EQ(file->Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(file->Write("x", 1), -1);
    EXPECT_EQ(file->Close(), -1);
    file.reset();  // finds nothing open
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "DefencDk.dat"));
}

TEST(FileObject, ReadsThroughAGamePath) {
    TempDir dir;
    dir.Put("Data/Unit.dat", std::string(16, 'H') + "BODY");
    auto file = FileObject::CreateOpen(dir.Path() + "\\data\\UNIT.DAT", 0x8000);
    EXPECT_EQ(file->Seek(16, 0), 16);
    char body[8] = {};
    EXPECT_EQ(file->Read(body, sizeof body), 4);  // short read at the end is not an error
    EXPECT_EQ(std::string(body, 4), "BODY");
    EXPECT_EQ(file->Read(body, sizeof body), 0);
    EXPECT_EQ(file->Seek(-2, 2), 18);
    EXPECT_EQ(file->Seek(-100, 1), -1);
    EXPECT_EQ(file->Read(body, 2), 2);
    EXPECT_EQ(std::string(body, 2), "DY");
    EXPECT_EQ(file->Close(), 1);
}

TEST(FileObject, CreationModesDecideWhatHappensToOldContents) {
    struct Case {
        unsigned mode;
        const char* expected;  // after writing "new" over "old longer text"
    };
    const Case cases[] = {
        {0xB001, "new longer text"},  // keep: the old tail stays, the file is not shortened
        {0x3001, "new longer text"},
        {0x1001, "new"},  // create without keep truncates first
        {0x9001, "new"},
        {0x0001, "new longer text"},  // must exist, opened as it is
        {0x8002, "new longer text"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.Put("Map.ddm", "old longer text");
        FileObject file(dir.Path() + "MAP.DDM", c.mode);
        EXPECT_EQ(file.Write("new", 3), 3) << std::hex << c.mode;
        EXPECT_EQ(file.Close(), 1);
        EXPECT_EQ(TempDir::Read(path), c.expected) << std::hex << c.mode;
    }
}

TEST(FileObject, CreatesMissingFilesOnlyWithTheCreateBit) {
    struct Case {
        unsigned mode;
        bool opens;
    };
    const Case cases[] = {
        {0xB001, true}, {0x1001, true}, {0x0001, false}, {0x2001, false}, {0x8000, false}};
    for (const Case& c : cases) {
        TempDir dir;
        FileObject file;
        std::uint32_t error = 0;
        EXPECT_EQ(file.Open(dir.Path() + "\\USER\\..\\new.prm", c.mode, &error), 0)
            << "a missing folder is never created";
        EXPECT_EQ(file.Open(dir.Path() + "new.prm", c.mode, &error), c.opens ? 1 : 0)
            << std::hex << c.mode;
        if (!c.opens) {
            EXPECT_EQ(error, core::kErrorFileNotFound);
        }
        EXPECT_EQ(std::filesystem::exists(dir.Path() + "new.prm"), c.opens);
    }
}

TEST(FileObject, ZeroCountsTouchNothing) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "abc");
    FileObject file(path, 0xB002);
    char buffer[1] = {'z'};
    EXPECT_EQ(file.Read(buffer, 0), 0);
    EXPECT_EQ(file.Write(buffer, 0), -1);
    EXPECT_EQ(file.Close(), 1);
    EXPECT_EQ(TempDir::Read(path), "abc");
    FileObject closed;
    EXPECT_EQ(closed.Read(buffer, 0), 0);  // no system call, so no failure either
}

TEST(FileObject, ShareNoneLocksOutASecondOpener) {
    TempDir dir;
    const std::string path = dir.Put("Save.ddg", "s");
    struct Case {
        unsigned firstMode;
        unsigned secondMode;
        bool secondOpens;
    };
    const Case cases[] = {
        {0x8000, 0x8000, false},
        {0x0010, 0x0000, false},  // share code 0x10 is the same as 0x00
        {0x8000, 0xB001, false},
        {0x0020, 0x0020, true},
        {0x0020, 0x0041, false},  // a reader that shares only reading denies writers
        {0x0041, 0x0040, true},
        {0x0030, 0x0030, false},  // share-write readers deny each other's reading
    };
    for (const Case& c : cases) {
        FileObject first(path, c.firstMode);
        ASSERT_NE(first.GetHandle(), FileObject::kNoHandle);
        FileObject second;
        std::uint32_t error = 0;
        EXPECT_EQ(second.Open(path, c.secondMode, &error), c.secondOpens ? 1 : 0)
            << std::hex << c.firstMode << " " << c.secondMode;
        if (!c.secondOpens) {
            EXPECT_EQ(error, core::kErrorSharingViolation);
        }
    }
    // Every object above closed its file when it went away.
    FileObject again;
    EXPECT_EQ(again.Open(path, 0x8000), 1);
}

TEST(FileObject, BinaryBitChangesNothing) {
    for (unsigned mode : {0x0000u, 0x0001u, 0x1001u, 0x3001u, 0x0042u}) {
        TempDir dir;
        const std::string path = dir.Put("f.dat", "0123456789");
        std::string withBit, without;
        for (unsigned m : {mode, mode | 0x8000u}) {
            dir.Put("f.dat", "0123456789");
            FileObject file(path, m);
            char buffer[4] = {};
            int r = file.Read(buffer, 4);
            int w = file.Write("ab", 2);
            file.Close();
            std::string outcome =
                std::to_string(r) + "/" + std::to_string(w) + "/" + TempDir::Read(path);
            (m & 0x8000u ? withBit : without) = outcome;
        }
        EXPECT_EQ(withBit, without) << std::hex << mode;
    }
}

TEST(FileObject, UndefinedCodesAreRefused) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "x");
    for (unsigned mode : {0x0003u, 0x8003u, 0x0050u, 0x0060u, 0x0070u}) {
        FileObject file;
        std::uint32_t error = 0;
        EXPECT_EQ(file.Open(path, mode, &error), 0) << std::hex << mode;
        EXPECT_EQ(error, core::kErrorInvalidParameter);
        EXPECT_EQ(file.GetHandle(), FileObject::kNoHandle);
    }
}

TEST(FileObject, AccessCodeLimitsReadsAndWrites) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "abc");
    char buffer[3];
    FileObject reader(path, 0x8000);
    EXPECT_EQ(reader.Write("x", 1), -1);
    reader.Close();
    FileObject writer(path, 0xB001);
    EXPECT_EQ(writer.Read(buffer, 3), -1);
    writer.Close();
    EXPECT_EQ(TempDir::Read(path), "abc");
}

TEST(FileObject, AdoptedHandlesAreNotClosedByDestruction) {
    TempDir dir;
    const std::string path = dir.Put("f.dat", "abc");
    FileObject owner(path, 0x8000);
    {
        FileObject adopted(owner.GetHandle());
        EXPECT_FALSE(adopted.IsOpenedHere());
        adopted.CloseIfOpen();  // not ours: stays open
    }
    char buffer[3];
    EXPECT_EQ(owner.Read(buffer, 3), 3);
    {
        FileObject adopted(owner.GetHandle());
        EXPECT_EQ(adopted.Close(), 1);  // an explicit Close does close it
    }
    EXPECT_EQ(owner.Seek(0, 0), -1);
    EXPECT_EQ(owner.Close(), 0);  // the handle was no longer valid
    EXPECT_EQ(owner.Close(), -1);
}

TEST(FileObject, OpeningAgainReleasesTheFirstFile) {
    TempDir dir;
    const std::string first = dir.Put("useFrc00.prm", "a");
    const std::string second = dir.Put("useFrc01.prm", "b");
    FileObject probe;
    ASSERT_EQ(probe.Open(first, 0x8000), 1);
    ASSERT_EQ(probe.Open(second, 0x8000), 1);  // no Close between the opens
    // The first file is free again: nothing keeps its no-sharing lock.
    FileObject other;
    EXPECT_EQ(other.Open(first, 0xB001), 1);
    EXPECT_EQ(other.Close(), 1);
    char c = 0;
    EXPECT_EQ(probe.Read(&c, 1), 1);
    EXPECT_EQ(c, 'b');
    EXPECT_EQ(probe.Close(), 1);

    // An adopted handle is only forgotten: its owner still reads through it.
    FileObject owner(first, 0x8000);
    {
        FileObject adopted(owner.GetHandle());
        EXPECT_EQ(adopted.Open(second, 0x0020), 1);
    }
    EXPECT_EQ(owner.Read(&c, 1), 1);
    EXPECT_EQ(c, 'a');
}

}  // namespace
}  // namespace zv::fw
