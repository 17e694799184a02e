// Saving the settings: the ".jtb" temporary file, the backup, saving under a
// new name, and the files every failure leaves behind, byte for byte.
#include "support/TestFiles.h"
#include "support/ProgramDir.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace {

// The local file system whose n-th complete write fails half-way.
class FailNthWrite : public platform::LocalFileSystem {
public:
    int FailAt = 0;
    int Writes = 0;
    bool WriteAll(const std::string& Path, const std::string& Contents, platform::FileError& Error) override
    {
        if (++Writes != FailAt) return LocalFileSystem::WriteAll(Path, Contents, Error);
        platform::FileError ignored;
        LocalFileSystem::WriteAll(Path, Contents.substr(0, Contents.size() / 2), ignored);
        Error = {"Disk full", 28};
        return false;
    }
};

using FileSet = std::map<std::string, std::string>;

class IniSaveTest : public ProgramDirTest {
protected:
    // Every file of the directory with its bytes.
    FileSet Files() const
    {
        return testfiles::DirectoryFiles(dir.path());
    }
    // A component loaded from the program's settings file with these defaults.
    std::unique_ptr<TjtINI_File> Loaded(const std::vector<std::string>& defaults = {"[A]", "a = 1"})
    {
        auto ini = std::make_unique<TjtINI_File>(nullptr);
        ini->SetINI_Default(defaults);
        ini->Loaded();
        return ini;
    }


    const std::string oldFile = "; settings\r\n[A]\r\na =  1 ; note\r\nb = 2\r\n";
};

// ---------------------------------------------------------------- completed saves

TEST_F(IniSaveTest, updateWithoutSettingsFileWritesEmptyFile)
{
    auto ini = Loaded();
    ini->WriteString("A", "a", "5");
    ini->FileSave();
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", ""}}));
    EXPECT_FALSE(ini->Modified());
    EXPECT_EQ(ini->TempFilename(), Path("profilora.jtb"));
}

TEST_F(IniSaveTest, saveOverExistingFileKeepsPreviousAsBackup)
{
    WriteFile("profilora.ini", oldFile);
    WriteFile("profilora.bak", "older backup");
    auto ini = Loaded();
    ini->WriteString("A", "a", "5");
    ASSERT_TRUE(ini->Modified());
    ini->FileSave();
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", "; settings\r\n[A]\r\na =  5\r\nb = 2\r\n"}, {"profilora.bak", oldFile}}));
    EXPECT_FALSE(ini->Modified());
}

TEST_F(IniSaveTest, backupExtensionIsHonoured)
{
    WriteFile("profilora.ini", oldFile);
    auto ini = Loaded();
    ini->SetBackupExtention("~");
    ini->FileSave();
    EXPECT_EQ(Files().count("profilora.~ini"), 1u);
    EXPECT_EQ(Files().at("profilora.~ini"), oldFile);
}

TEST_F(IniSaveTest, eachWriteModeWritesItsForm)
{
    struct Case {
        TjtINI_File_WriteMode mode;
        bool windows;
        std::string expected;
    };
    const std::vector<Case> cases{
        {jtWM_Update, false, "; settings\r\n[A]\r\na =  1 ; note\r\nb = 7\r\n"},
        {jtWM_Generate, false, "top = x\r\n\r\n[A]\r\na  = 1 ; note\r\nb  = 7\r\nnk = \r\n\r\n[Z]\r\nz = 9\r\n"},
        {jtWM_Generate, true, "top=x\r\n\r\n[A]\r\na=1 ; note\r\nb=7\r\nnk=\r\n\r\n[Z]\r\nz=9\r\n"},
        {jtWM_AddSection, false, "; settings\r\n[A]\r\na  = 1 ; note\r\nb  = 7\r\nnk = \r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        WriteFile("profilora.ini", oldFile);
        auto ini = Loaded({"top = x", "[Z]", "z = 9"});
        ini->SetWriteMode(c.mode);
        ini->SetWindowsCompatible(c.windows);
        ini->WriteInteger("A", "b", 7);
        ini->ReadString("a", "nk");  // created by a read, written empty
        ini->FindSection("A");       // the section a jtWM_AddSection save writes
        ini->FileSave();
        EXPECT_EQ(Files().at("profilora.ini"), c.expected);
        EXPECT_EQ(Files().count("profilora.jtb"), 0u);
        // Read back, the file gives the same values.
        auto again = std::make_unique<TjtINI_File>(nullptr);
        again->Loaded();
        EXPECT_EQ(again->ReadString("A", "b"), "7");
    }
}

TEST_F(IniSaveTest, saveUnderNewNameCarriesTheCurrentLayout)
{
    WriteFile("profilora.ini", oldFile);
    auto ini = Loaded();
    ini->WriteString("A", "b", "3");
    prompts.SaveAnswers.push_back(Path("copy.ini"));
    ini->FileSaveAs();
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", oldFile}, {"copy.ini", "; settings\r\n[A]\r\na =  1 ; note\r\nb = 3\r\n"}}));
    EXPECT_EQ(ini->FullFilename(), Path("copy.ini"));
    EXPECT_EQ(ini->TempFilename(), Path("profilora.jtb"));
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(IniSaveTest, saveAsOverExistingFileAsksAndKeepsBackup)
{
    WriteFile("profilora.ini", oldFile);
    WriteFile("copy.ini", "old copy");
    auto ini = Loaded();
    prompts.SaveAnswers.push_back(Path("copy.ini"));
    prompts.Answers.push_back(platform::MsgResult::Yes);
    ini->FileSaveAs();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "OK to overwrite " + Path("copy.ini"));
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", oldFile}, {"copy.ini", oldFile}, {"copy.bak", "old copy"}}));
}

TEST_F(IniSaveTest, settingsFileNamedLikeTheTemporaryFileIsNotWrittenOver)
{
    WriteFile("my.jtb", "[A]\r\na = 1\r\n");
    auto ini = Loaded();
    ini->OpenFile(Path("my.jtb"));
    ini->WriteString("A", "a", "2");
    ini->FileSave();
    EXPECT_EQ(Files(), (FileSet{{"my.jtb", "[A]\r\na = 2\r\n"}, {"my.bak", "[A]\r\na = 1\r\n"}}));
}

// ---------------------------------------------------------------- failures while writing

TEST_F(IniSaveTest, failedTemporaryWriteLeavesSettingsFileUntouched)
{
    FailNthWrite fs;
    platform::ScopedPlatform local(&prompts, &sys, &fs);
    WriteFile("profilora.ini", oldFile);
    auto ini = Loaded();
    ini->SetWriteMode(jtWM_Generate);
    ini->WriteString("A", "a", "5");
    fs.FailAt = fs.Writes + 2;  // the temporary file is created, then its contents fail
    try {
        ini->FileSave();
        FAIL() << "no failure";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 28);
    }
    const std::string full = "[A]\r\na = 5\r\nb = 2\r\n";
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", oldFile}, {"profilora.jtb", full.substr(0, full.size() / 2)}}));
    EXPECT_TRUE(ini->Modified());
    EXPECT_EQ(ini->FullFilename(), Path("profilora.ini"));
}

TEST_F(IniSaveTest, failedWriteTakenByReadErrorEventEndsTheSave)
{
    platform::FaultyFileSystem fs;
    platform::ScopedPlatform local(&prompts, &sys, &fs);
    WriteFile("profilora.ini", oldFile);
    auto ini = Loaded();
    ini->WriteString("A", "a", "5");
    std::string reported;
    int writeErrors = 0;
    ini->OnReadError = [&](QObject*, std::string AFilename, Exception& E) {
        reported = AFilename + "|" + E.ClassName();
        return true;
    };
    ini->OnWriteError = [&](QObject*, std::string, Exception&) { return ++writeErrors, true; };
    fs.FailWrite = true;
    prompts.SaveAnswers.push_back(Path("new.ini"));
    ini->FileSaveAs();
    EXPECT_EQ(reported, Path("profilora.ini") + "|EInOutError");
    EXPECT_EQ(writeErrors, 0);
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", oldFile}, {"profilora.jtb", ""}}));
    EXPECT_TRUE(ini->Modified());
    EXPECT_EQ(ini->FullFilename(), Path("profilora.ini"));
    EXPECT_EQ(fs.Moves, 0);
}

TEST_F(IniSaveTest, readOnlyDirectoryFailsWithoutTouchingTheFile)
{
    WriteFile("profilora.ini", oldFile);
    auto ini = Loaded();
    ini->WriteString("A", "a", "5");
    // The permission alone does not bind every user (root); the file layer
    // then plays the read-only directory.
    platform::FaultyFileSystem fs;
    fs.ReadOnlyDir = dir.path().toStdString() + "/";
    platform::ScopedPlatform local(&prompts, &sys, &fs);
    const QByteArray path = dir.path().toLocal8Bit();
    ASSERT_EQ(::chmod(path.constData(), 0555), 0);
    std::string reported;
    ini->OnReadError = [&](QObject*, std::string AFilename, Exception&) {
        reported = AFilename;
        return false;
    };
    EXPECT_THROW(ini->FileSave(), EInOutError);
    ::chmod(path.constData(), 0755);
    EXPECT_EQ(reported, Path("profilora.ini"));
    EXPECT_EQ(Files(), (FileSet{{"profilora.ini", oldFile}}));
    EXPECT_TRUE(ini->Modified());
    EXPECT_EQ(fs.Moves, 0);
}

TEST_F(IniSaveTest, locationWhereNothingCanBeCreatedFails)
{
    // No user, not even root, creates files in /proc.
    auto ini = Loaded();
    ini->SetFilename("/proc/profilora-settings.ini");
    ini->WriteString("A", "a", "5");
    EXPECT_THROW(ini->FileSave(), EInOutError);
    EXPECT_FALSE(QFile::exists("/proc/profilora-settings.jtb"));
    EXPECT_TRUE(ini->Modified());
    EXPECT_EQ(ini->FullFilename(), "/proc/profilora-settings.ini");
}

// ---------------------------------------------------------------- failures while committing

TEST_F(IniSaveTest, commitFailuresLeaveTheirFiles)
{
    const std::string newFile = "; settings\r\n[A]\r\na =  5\r\nb = 2\r\n";
    struct Case {
        const char* message;
        bool failDelete;
        int failMove;
        FileSet left;
    };
    const std::vector<Case> cases{
        {"Unable to delete backup file.", true, 0,
         FileSet{{"profilora.ini", oldFile}, {"profilora.bak", "older"}, {"profilora.jtb", newFile}}},
        {"Unable to create backup file.", false, 1, FileSet{{"profilora.ini", oldFile}, {"profilora.jtb", newFile}}},
        {"Unable to complete the file save.", false, 2, FileSet{{"profilora.bak", oldFile}, {"profilora.jtb", newFile}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        for (const auto& [name, bytes] : Files()) QFile::remove(QString::fromStdString(Path(name)));
        WriteFile("profilora.ini", oldFile);
        WriteFile("profilora.bak", "older");
        platform::FaultyFileSystem fs;
        platform::ScopedPlatform local(&prompts, &sys, &fs);
        auto ini = Loaded();
        ini->WriteString("A", "a", "5");
        fs.FailDelete = c.failDelete;
        fs.FailMoveNumber = c.failMove;
        try {
            ini->FileSave();
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.ClassName(), "Exception");
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(Files(), c.left);
        EXPECT_FALSE(ini->Modified());  // the contents were written completely
    }
}

}  // namespace
