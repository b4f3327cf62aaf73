#include "TempDir.h"

#include "FileSizeLimit.h"
#include "RaisedNumber.h"
#include "base/AppError.h"
#include "base/FileAccess.h"
#include "base/clsINI.h"
#include "base/modError.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orbiplot;
using orbiplot::test::Raised;
using orbiplot::test::RaisedNumber;
using orbiplot::test::WithFileSizeLimit;
using orbiplot::test::TempDir;

TEST(IniRead, EncodingsLineEndsAndCaseAreAccepted) {
    TempDir dir;
    clsINI ini;
    const std::string gbk = dir.Write("gbk.opd", "[Doc]\r\nTitle=\xBA\xAF\xCA\xFD\r\n");
    const std::string bom = dir.Write("bom.ini", "\xEF\xBB\xBF[Doc]\r\nTitle=函数\r\n");
    const std::string utf8 = dir.Write("utf8.ini", "[Doc]\nTitle=函数\n");
    const std::string odd = dir.Write(
        "odd.ini",
        "\r\n; comment\r\n\r\n[ gRiD ]\r\n\r\n  uNiT = 0.25\r\nExpr=y=x+1\r\n[Other]\r\nTitle=x");
    for (const std::string& file : {gbk, bom, utf8})
        EXPECT_EQ(ini.INIGetString("doc", "TITLE", 64, "", file).ToText(), "函数") << file;
    EXPECT_EQ(ini.INIGetString("GRID", "unit", 32, "1", odd).ToText(), " 0.25");
    EXPECT_EQ(ini.INIGetString("grid", "Unit", 32, "1", odd).ToSingle(), 0.25f);
    EXPECT_EQ(ini.INIGetString("Grid", "Expr", 32, "", odd).ToText(), "y=x+1");
    EXPECT_EQ(ini.INIGetString("Other", "Title", 32, "", odd).ToText(), "x"); // no line end
    // Missing file or key: the default.
    EXPECT_EQ(ini.INIGetString("Grid", "Nope", 32, "d", odd).ToText(), "d");
    EXPECT_EQ(ini.INIGetString("Grid", "Unit", 32, "d", dir.File("missing.ini")).ToText(), "d");
}

TEST(IniRead, AFullBufferGivesTheErrorMarker) {
    TempDir dir;
    clsINI ini;
    const std::string file =
        dir.Write("s.ini", "[Grid]\r\nA=" + std::string(31, '1') + "\r\nB=" + std::string(30, '1') +
                               "\r\nC=数据数据\r\n");
    const IniValue full = ini.INIGetString("Grid", "A", 32, "1", file);
    EXPECT_TRUE(full.IsErrorMarker());
    EXPECT_EQ(RaisedNumber([&] { full.ToDouble(); }), ErrTypeMismatch);
    EXPECT_EQ(ini.INIGetString("Grid", "B", 32, "1", file).ToText(), std::string(30, '1'));
    // A default that fills the buffer is cut like any value.
    EXPECT_TRUE(ini.INIGetString("Grid", "Z", 4, "abc", file).IsErrorMarker());
    // Chinese characters take two places, as in the 8-bit file.
    EXPECT_TRUE(ini.INIGetString("Grid", "C", 9, "", file).IsErrorMarker());
    EXPECT_EQ(ini.INIGetString("Grid", "C", 10, "", file).ToText(), "数据数据");
}

TEST(IniRead, LongsAndBooleans) {
    TempDir dir;
    clsINI ini;
    const std::string file = dir.Write(
        "s.ini", "[S]\r\nabc=abc\r\nmixed=3x\r\nneg=-25\r\nblank= 7\r\nhuge=99999999999\r\n"
                 "zero=0\r\nupper=TRUE\r\nyes=yes\r\nminus=-1\r\none=1\r\nfalse=False\r\n"
                 "long=" +
                     std::string(30, 'f') + "\r\n");
    const std::pair<const char*, int32_t> longs[] = {{"abc", 0}, {"mixed", 3}, {"huge", 2147483647}, {"none", 42}};
    for (const auto& [key, expected] : longs)
        EXPECT_EQ(ini.INIGetLong("s", key, 42, file), expected) << key;
    const std::tuple<const char*, bool, bool> booleans[] = {
        {"zero", true, false}, {"upper", false, true}, {"yes", true, true},
        {"yes", false, false}, {"minus", false, true}, {"long", true, true},
    };
    for (const auto& [key, fallback, expected] : booleans)
        EXPECT_EQ(ini.INIGetBoolean("S", key, fallback, file), expected) << key;
}

TEST(IniWrite, ChangesOnlyWhatIsWritten) {
    TempDir dir;
    clsINI ini;
    const std::string file =
        dir.Write("s.ini", "; kept comment\n[General]\nIsFirst=False\nUnknown=keep me\n\n"
                           "[Grid]\r\nStyle=2\r\n");
    ini.INIWriteString("general", "isfirst", "True", file);
    ini.INIWriteString("General", "IsShowTip", "1", file);
    ini.INIWriteString("Grid", "Unit", "0.5", file);
    ini.INIWriteString("MainPos", "MainLeft", "-120", file);
    EXPECT_EQ(dir.Read("s.ini"),
              "; kept comment\r\n[General]\r\nIsFirst=True\r\nUnknown=keep me\r\n"
              "IsShowTip=1\r\n\r\n[Grid]\r\nStyle=2\r\nUnit=0.5\r\n\r\n"
              "[MainPos]\r\nMainLeft=-120\r\n");

    // A missing file is created; a value never breaks its line, and a lone carriage return
    // read from a file is written back as it was.
    const std::string fresh = dir.File("new.ini");
    ini.INIWriteString("Data", "M", "line\r\nbreak", fresh);
    EXPECT_EQ(dir.Read("new.ini"), "[Data]\r\nM=line\r break\r\n");
    EXPECT_EQ(ini.INIGetString("Data", "M", 64, "", fresh).ToText(), "line\r break");
    const std::string lone = dir.Write("lone.ini", "[D]\r\nE=a\rb\r\nF=c\r\r\n");
    ini.INIWriteString("D", "G", "1", lone);
    EXPECT_EQ(dir.Read("lone.ini"), "[D]\r\nE=a\rb\r\nF=c\r\r\nG=1\r\n");
}

TEST(IniWrite, BatchEqualsTheSameWritesOneByOne) {
    TempDir dir;
    clsINI ini;
    const std::string start = "[B]\r\nx=1\r\n\r\n[A]\r\ny=2\r\n";
    const std::string one = dir.Write("one.ini", start);
    const std::string many = dir.Write("many.ini", start);
    const std::tuple<const char*, const char*, const char*> writes[] = {
        {"A", "z", "3"}, {"B", "x", "9"}, {"C", "k", "v"}, {"a", "Y", "二"}, {"B", "w", "4"}};
    IniBatch batch(many);
    for (const auto& [section, key, value] : writes) {
        ini.INIWriteString(section, key, value, one);
        batch.Set(section, key, value);
    }
    batch.Commit();
    EXPECT_EQ(dir.Read("one.ini"), dir.Read("many.ini"));
}

TEST(IniWrite, TextOutsideGbkIsWrittenAsUtf8WithBom) {
    TempDir dir;
    clsINI ini;
    const std::string gbkFile = dir.File("gbk.ini");
    ini.INIWriteString("Doc", "Title", "函数", gbkFile);
    EXPECT_EQ(dir.Read("gbk.ini"), "[Doc]\r\nTitle=\xBA\xAF\xCA\xFD\r\n");
    ini.INIWriteString("Doc", "Note", "x \xF0\x9F\x98\x80 é", gbkFile);
    EXPECT_EQ(dir.Read("gbk.ini").substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(ini.INIGetString("Doc", "Title", 64, "", gbkFile).ToText(), "函数");
    EXPECT_EQ(ini.INIGetString("Doc", "Note", 64, "", gbkFile).ToText(), "x \xF0\x9F\x98\x80 é");
}

TEST(IniWrite, AFailedWriteRaisesTheSystemErrorAndKeepsTheOldFile) {
    TempDir dir;
    clsINI ini;
    const auto missing = Raised([&] { ini.INIWriteString("A", "b", "c", dir.File("no/such/folder/x.ini")); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->Number, static_cast<int32_t>(0x80047148u + ENOENT));
    EXPECT_EQ(missing->Source, "Orbiplot.Windows");
    EXPECT_EQ(missing->Description.rfind("错误: 2(&H2): ", 0), 0u);

    // A disk that fills up in the middle of the write.
    const std::string original = "[Data]\r\nM=1\r\nN1=g\r\nV1=9.8\r\n";
    const std::string file = dir.Write("c.ini", original);
    const int32_t number = WithFileSizeLimit(16, [&] {
        return RaisedNumber([&] { ini.INIWriteString("Data", "N1", std::string(100, 'k'), file); });
    });
    EXPECT_EQ(number, static_cast<int32_t>(0x80047148u + EFBIG));
    EXPECT_EQ(dir.Read("c.ini"), original);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "c.ini") << "temporary file left behind";
}

// As a user who may not write into the folder: access denied, and the general error box.
TEST(IniWrite, AReadOnlyFolderGivesTheAccessDeniedBox) {
    TempDir dir;
    const std::string folder = dir.File("ro");
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                    std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    // The error box's text names the access denied.
    const auto deniedAndSaid = [&] {
        const auto error = Raised([&] {
            clsINI().INIWriteString("General", "IsFirst", "True", folder + "/Orbiplot_Setting.ini");
        });
        return error && BuildErrorReport(*error).Text.find(
                            "Err.Number = " + std::to_string(static_cast<int32_t>(0x80047148u + EACCES)) +
                            "\nErr.Source = Orbiplot.Windows\nErr.Description = " +
                            GetSystemErrorText(EACCES)) != std::string::npos;
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(deniedAndSaid());
        return;
    }
    // The superuser may write anywhere: try as nobody, in a child process.
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no unprivileged user to run as";
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(3);
        _exit(deniedAndSaid() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "/Orbiplot_Setting.ini"));
}

TEST(SystemErrorText, PrefixAndFallback) {
    EXPECT_EQ(GetSystemErrorText(5).rfind("错误: 5(&H5): ", 0), 0u);
    EXPECT_EQ(GetSystemErrorText(99999), "错误: 99999(&H1869F): <无错误>");
}

// A save that was killed left its temporary file; the next save of the same file removes
// it, keeps the file's permission bits, and leaves other files alone.
TEST(IniWrite, StaleTemporariesGoAndPermissionsStay) {
    TempDir dir;
    const std::string file = dir.Write("d.opd", "old");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    dir.Write(".d.opd.orbiplot-a1B2c3", "half");
    dir.Write(".other.opd.orbiplot-a1B2c3", "someone else's");
    dir.Write(".d.opd.orbiplot-notours", "not a temporary name");
    WriteFileAtomically(file, "new");
    EXPECT_EQ(dir.Read("d.opd"), "new");
    EXPECT_FALSE(std::filesystem::exists(dir.File(".d.opd.orbiplot-a1B2c3")));
    EXPECT_TRUE(std::filesystem::exists(dir.File(".other.opd.orbiplot-a1B2c3")));
    EXPECT_TRUE(std::filesystem::exists(dir.File(".d.opd.orbiplot-notours")));
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// Only regular files are read or replaced; a pipe is never opened in a way that waits.
TEST(FileAccess, PipesFoldersAndLinksAreRefusedOrFollowed) {
    TempDir dir;
    const std::string pipe = dir.File("Orbiplot_Const.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const auto notRegular = [](const std::optional<AppError>& error) {
        return error && error->Number == ErrPathFileAccess &&
               error->Description.find("不是普通文件") != std::string::npos;
    };
    EXPECT_TRUE(notRegular(Raised([&] { ReadFileBytes(pipe); })));
    EXPECT_TRUE(notRegular(Raised([&] { WriteFileAtomically(pipe, "x"); })));
    EXPECT_TRUE(notRegular(Raised([&] { ReadFileBytes(dir.Path()); })));
    // A link to a pipe: the pipe stays, and so does the link.
    const std::string toPipe = dir.File("to-pipe.ini");
    std::filesystem::create_symlink(pipe, toPipe);
    EXPECT_TRUE(notRegular(Raised([&] { WriteFileAtomically(toPipe, "x"); })));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(std::filesystem::is_symlink(toPipe));
    EXPECT_EQ(ReadFileBytes(dir.File("missing.ini")), std::nullopt);

    // A dangling link: the file it names is made, the link stays a link.
    const std::string dangling = dir.File("link.opd");
    std::filesystem::create_symlink("made/target.opd", dangling);
    std::filesystem::create_directory(dir.File("made"));
    WriteFileAtomically(dangling, "through the link");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(dir.Read("made/target.opd"), "through the link");

    // A name as long as a name may be: its temporary name fits too, and goes.
    const std::string longName = std::string(245, 'n') + ".opd";
    WriteFileAtomically(dir.File(longName), "long");
    EXPECT_EQ(dir.Read(longName), "long");
    WriteFileAtomically(dir.File(longName), "longer");
    EXPECT_EQ(dir.Read(longName), "longer");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.path().filename().string().find(".orbiplot-") == std::string::npos;
    EXPECT_EQ(files, std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

namespace {
// Text that differs from line to line, so that a piece put back in the wrong place shows.
std::string Pattern(size_t size, char mark) {
    std::string text;
    for (size_t line = 0; text.size() < size; ++line)
        text += mark + std::to_string(line * 7919 % 100003) + "\r\n";
    text.resize(size);
    return text;
}
} // namespace

// In a folder where no file may be made, a file that may be written is written in place; a
// write that fails there puts back what it overwrote.
TEST(FileAccess, AWritableFileInAClosedFolderIsWrittenInPlace) {
    if (geteuid() != 0) GTEST_SKIP() << "needs to run as root to act as another user";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no unprivileged user to run as";
    TempDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const std::string folder = dir.File("closed");
    std::filesystem::create_directory(folder); // root's, 0755: nobody may not add to it
    const std::string file = folder + "/d.opd";
    std::ofstream(file) << "old";
    ASSERT_EQ(chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(3);
        try {
            WriteFileAtomically(file, "new");
        } catch (...) {
            _exit(1);
        }
        // A longer content, then a shorter one: each is the whole file afterwards.
        const std::string longer = Pattern(150'000, 'L');
        WriteFileAtomically(file, longer);
        if (ReadFileBytes(file) != longer) _exit(2);
        WriteFileAtomically(file, "short");
        if (ReadFileBytes(file) != "short") _exit(4);
        WriteFileAtomically(file, longer);
        // Beyond a file-size limit of 64 KiB the write fails and says so; the file is as it
        // was, though its first 64 KiB were overwritten on the way.
        const auto error = WithFileSizeLimit(64 * 1024, [&] {
            return Raised([&] { WriteFileAtomically(file, Pattern(300'000, 'N')); });
        });
        if (!error || error->Description != GetSystemErrorText(EFBIG)) _exit(6);
        if (ReadFileBytes(file) != longer) _exit(7);
        // A content that cannot be made leaves the file untouched.
        if (!Raised([&] {
                WriteFileAtomically(file, [](const PieceWriter& write) {
                    write("half");
                    RaiseSystemError(ENOMEM);
                });
            }))
            _exit(8);
        if (ReadFileBytes(file) != longer) _exit(9);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(dir.Read("closed/d.opd") == Pattern(150'000, 'L')); // too long to print
}
