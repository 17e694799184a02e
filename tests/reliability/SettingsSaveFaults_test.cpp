// A save of the settings interrupted at every step it takes: reading the
// current file, creating the temporary file, writing it, closing it,
// deleting the old backup, moving the file to the backup, moving the
// temporary file into place. Whatever fails, the previous settings or the
// new ones stay intact on the disk, only the files the failure leaves by
// design are added, the failure reaches the caller, and a later save that
// succeeds keeps the previous version as the backup.
#include "support/TestFiles.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace {

using FileSet = std::map<std::string, std::string>;

enum class Step { None, ReadFile, CreateTemp, WriteTemp, CloseTemp, DeleteBackup, MoveToBackup, MoveIntoPlace };

const char* Name(Step S)
{
    switch (S) {
    case Step::None: return "none";
    case Step::ReadFile: return "read the settings file";
    case Step::CreateTemp: return "create the temporary file";
    case Step::WriteTemp: return "write the temporary file";
    case Step::CloseTemp: return "close the temporary file";
    case Step::DeleteBackup: return "delete the old backup";
    case Step::MoveToBackup: return "move the file to the backup";
    case Step::MoveIntoPlace: return "move the temporary file into place";
    }
    return "?";
}

struct Scenario {
    Step Fails;
    TjtINI_File_WriteMode Mode;
    bool FileExists;
    bool BackupExists;
};

std::string Describe(const Scenario& S)
{
    return std::string(Name(S.Fails)) + " fails, mode " + std::to_string(int(S.Mode)) +
           (S.FileExists ? ", file" : ", no file") + (S.BackupExists ? ", backup" : ", no backup");
}

const std::string kOld = "; the user's settings\r\n[A]\r\na = 1\r\n\r\n[B]\r\nb = x\r\n";
const std::string kOlder = "[A]\r\na = 0\r\n";

class SettingsSaveFaults : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sys.Program = Path("profilora");
    }
    std::string Path(const std::string& Name) const { return dir.filePath(QString::fromStdString(Name)).toStdString(); }
    FileSet Files() const
    {
        return testfiles::DirectoryFiles(dir.path());
    }
    void Prepare(const Scenario& S)
    {
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) QFile::remove(dir.filePath(name));
        if (S.FileExists) std::ofstream(Path("profilora.ini"), std::ios::binary) << kOld;
        if (S.BackupExists) std::ofstream(Path("profilora.bak"), std::ios::binary) << kOlder;
    }
    // A component that loaded the file and then changed a value.
    std::unique_ptr<TjtINI_File> Changed(TjtINI_File_WriteMode Mode)
    {
        auto ini = std::make_unique<TjtINI_File>(nullptr);
        ini->SetINI_Default({"[A]", "a = 1", "[C]", "c = 3"});
        ini->Loaded();
        ini->SetWriteMode(Mode);
        ini->WriteString("A", "a", "2");
        EXPECT_TRUE(ini->Modified());
        return ini;
    }
    // The files a save without any failure leaves.
    FileSet CleanSave(const Scenario& S)
    {
        Prepare(S);
        platform::ScopedPlatform local(&prompts, &sys, nullptr);
        Changed(S.Mode)->FileSave();
        return Files();
    }
    static void Arm(platform::FaultyFileSystem& Fs, const Scenario& S)
    {
        Fs.Writes = 0;
        Fs.Moves = 0;
        switch (S.Fails) {
        case Step::None: break;
        case Step::ReadFile: Fs.FailRead = true; break;
        case Step::CreateTemp: Fs.FailWriteNumber = 1; break;
        case Step::WriteTemp: Fs.FailWriteNumber = 2; break;
        case Step::CloseTemp:
            Fs.FailWriteNumber = 2;
            Fs.FailAfterWriting = true;
            break;
        case Step::DeleteBackup: Fs.FailDelete = true; break;
        case Step::MoveToBackup: Fs.FailMoveNumber = S.FileExists ? 1 : 0; break;
        case Step::MoveIntoPlace: Fs.FailMoveNumber = S.FileExists ? 2 : 1; break;
        }
    }
    // Whether the step is taken at all in this scenario.
    static bool Reached(const Scenario& S)
    {
        switch (S.Fails) {
        case Step::ReadFile:
        case Step::MoveToBackup: return S.FileExists;
        case Step::DeleteBackup: return S.BackupExists && S.FileExists;
        default: return S.Fails != Step::None;
        }
    }

    QTemporaryDir dir;
    platform::FakePrompts prompts;
    platform::FakeSystem sys;
};

TEST_P(SettingsSaveFaults, interruptedSaveLosesNothing)
{
    const Scenario s = GetParam();
    SCOPED_TRACE(Describe(s));
    const FileSet clean = CleanSave(s);
    ASSERT_TRUE(clean.count("profilora.ini"));
    const std::string fresh = clean.at("profilora.ini");  // what a save writes
    const std::string old = s.FileExists ? kOld : "";

    Prepare(s);
    platform::FaultyFileSystem fs;
    platform::ScopedPlatform local(&prompts, &sys, &fs);
    auto ini = Changed(s.Mode);
    Arm(fs, s);
    bool failed = false;
    try {
        ini->FileSave();
    } catch (const Exception&) {
        failed = true;
    }
    // A failure is never reported as success, and a step not taken cannot fail.
    EXPECT_EQ(failed, Reached(s));
    const FileSet left = Files();
    if (!failed) {
        EXPECT_EQ(left, clean);
        return;
    }

    // What each failure may leave besides the previous or the new settings.
    FileSet want;
    if (s.FileExists) want["profilora.ini"] = kOld;
    if (s.BackupExists) want["profilora.bak"] = kOlder;
    switch (s.Fails) {
    case Step::ReadFile: break;
    case Step::CreateTemp:
    case Step::WriteTemp:
    case Step::CloseTemp:
        // The temporary file stays as far as it was written.
        if (left.count("profilora.jtb")) {
            EXPECT_EQ(fresh.compare(0, left.at("profilora.jtb").size(), left.at("profilora.jtb")), 0);
            want["profilora.jtb"] = left.at("profilora.jtb");
        }
        break;
    case Step::DeleteBackup: want["profilora.jtb"] = fresh; break;
    case Step::MoveToBackup:
        want.erase("profilora.bak");
        want["profilora.jtb"] = fresh;
        break;
    case Step::MoveIntoPlace:
        // The only state without the file itself: the previous version is
        // the backup and the new one waits under the temporary name.
        want.erase("profilora.ini");
        if (s.FileExists) want["profilora.bak"] = kOld;
        want["profilora.jtb"] = fresh;
        break;
    case Step::None: break;
    }
    EXPECT_EQ(left, want);
    const bool written = s.Fails == Step::DeleteBackup || s.Fails == Step::MoveToBackup || s.Fails == Step::MoveIntoPlace;
    // Modified stays set while the new contents were not written completely.
    EXPECT_EQ(ini->Modified(), !written);

    // The same save again, without the failure: the new settings in place
    // and the previous version as the backup, whatever the first attempt left.
    platform::FaultyFileSystem healthy;
    platform::ScopedPlatform again(&prompts, &sys, &healthy);
    ASSERT_NO_THROW(ini->FileSave());
    const FileSet after = Files();
    ASSERT_TRUE(after.count("profilora.ini"));
    EXPECT_FALSE(after.count("profilora.jtb"));
    if (s.FileExists) {
        ASSERT_TRUE(after.count("profilora.bak"));
        EXPECT_EQ(after.at("profilora.bak"), kOld) << "the previous settings are lost";
    }
    if (s.Mode == jtWM_Generate || s.Fails != Step::MoveIntoPlace) {
        EXPECT_EQ(after.at("profilora.ini"), fresh);
    }
}

std::vector<Scenario> AllScenarios()
{
    std::vector<Scenario> out;
    for (Step step : {Step::ReadFile, Step::CreateTemp, Step::WriteTemp, Step::CloseTemp, Step::DeleteBackup,
                      Step::MoveToBackup, Step::MoveIntoPlace})
        for (TjtINI_File_WriteMode mode : {jtWM_Update, jtWM_Generate, jtWM_AddSection})
            for (bool file : {true, false})
                for (bool backup : {true, false}) out.push_back({step, mode, file, backup});
    return out;
}

std::string TestName(const ::testing::TestParamInfo<Scenario>& I)
{
    static const char* const steps[] = {"none",         "readFile",     "createTemp",   "writeTemp",
                                        "closeTemp",    "deleteBackup", "moveToBackup", "moveIntoPlace"};
    static const char* const modes[] = {"update", "generate", "addSection"};
    const Scenario& s = I.param;
    return std::string(steps[int(s.Fails)]) + "Fails_" + modes[int(s.Mode)] + (s.FileExists ? "_file" : "_noFile") +
           (s.BackupExists ? "_backup" : "_noBackup");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, SettingsSaveFaults, ::testing::ValuesIn(AllScenarios()), TestName);

}  // namespace
