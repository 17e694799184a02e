// The file component's save cycle: targets, backups and write failures.
#include "support/TestFiles.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "platform/Fakes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

using testfiles::Slurp;
using testfiles::Put;

// Every file of a directory with its contents.
std::map<std::string, std::string> Listing(const QTemporaryDir& d)
{
    std::map<std::string, std::string> out;
    const QDir q(d.path());
    for (const QString& name : q.entryList(QDir::Files | QDir::Hidden))
        out[name.toStdString()] = Slurp(q.filePath(name).toStdString());
    return out;
}

using Files = std::map<std::string, std::string>;

class FileSave : public ::testing::Test {
protected:
    platform::FakePrompts prompts;
    platform::FakeSystem sys;
    platform::FaultyFileSystem files;
    platform::ScopedPlatform guard{&prompts, &sys, &files};
    QTemporaryDir tmp;      // the files being saved
    QTemporaryDir scratch;  // where the temporary file goes
    std::string dir = tmp.path().toStdString() + "/";
    std::string temp = scratch.path().toStdString() + "/save.tmp";
    QObject owner;
    TjtFile_IO* io = new TjtFile_IO(&owner);
    TMemo memo;

    std::vector<std::string> events;
    bool swallow = true;
    void Record()
    {
        io->OnWriteComplete = [this](QObject* s) {
            EXPECT_EQ(s, io);
            events.push_back("complete");
        };
        io->OnWriteError = [this](QObject* s, std::string name, Exception& e) {
            EXPECT_EQ(s, io);
            events.push_back(std::string("error:") + e.ClassName() + ":" + name + ":" + e.Message());
            return swallow;
        };
    }
    void UseMemo(const std::string& text, bool modified = true)
    {
        memo.SetText(text);
        memo.SetModified(modified);
        io->SetControl(&memo);
    }
};

// ---------------------------------------------------------------- targets

TEST_F(FileSave, fileSave_writesTheControlToFullFilename)
{
    UseMemo("line 1\r\nline 2");
    io->SetFilename(dir + "notes.txt");
    Record();
    io->FileSave();
    EXPECT_EQ(Listing(tmp), (Files{{"notes.txt", "line 1\r\nline 2"}}));
    EXPECT_FALSE(io->Modified());
    EXPECT_FALSE(memo.Modified());
    EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(FileSave, onSave_takesThePlaceOfTheWrite)
{
    UseMemo("text");
    io->SetFilename(dir + "notes.txt");
    std::vector<std::string> saved;
    io->OnSave = [&](QObject* s, std::string name) {
        EXPECT_EQ(s, io);
        saved.push_back(name);
    };
    io->FileSave();
    prompts.SaveAnswers.push_back(dir + "other.txt");
    io->FileSaveAs();
    EXPECT_EQ(saved, (std::vector<std::string>{dir + "notes.txt", dir + "other.txt"}));
    EXPECT_EQ(io->Filename(), "notes.txt");  // FileSaveAs leaves the name to the handler
    EXPECT_TRUE(Listing(tmp).empty());
    EXPECT_TRUE(io->Modified());
}

TEST_F(FileSave, fileSaveAs_setsUpTheDialog_andCancelWritesNothing)
{
    UseMemo("text");
    io->SetFilename(dir + "notes.txt");
    io->SetSaveDialogTitle("Save the notes");
    io->FileSaveAs();
    ASSERT_EQ(prompts.SaveDialogs.size(), 1u);
    const platform::FileDialogSetup& d = prompts.SaveDialogs[0];
    EXPECT_EQ(d.FileName, "notes.txt");
    EXPECT_EQ(d.InitialDir, dir);
    EXPECT_EQ(d.Title, "Save the notes");
    EXPECT_EQ(d.Filter, io->Filter());
    EXPECT_TRUE(d.HideReadOnly && d.PathMustExist && d.FileMustExist && d.EnableSizing);
    EXPECT_EQ(io->SaveDialog().Title, "Save the notes");
    EXPECT_TRUE(Listing(tmp).empty());
}

TEST_F(FileSave, fileSaveAs_newFile_writesWithoutAsking)
{
    UseMemo("text");
    io->SetFilename("/somewhere/notes.txt");
    prompts.SaveAnswers.push_back(dir + "fresh.txt");
    io->FileSaveAs();
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(Listing(tmp), (Files{{"fresh.txt", "text"}}));
    EXPECT_EQ(io->FullFilename(), dir + "fresh.txt");
}

TEST_F(FileSave, fileSaveAs_existingFile_asksBeforeOverwriting)
{
    const struct {
        platform::MsgResult answer;
        const char* left;
    } cases[] = {
        {platform::MsgResult::Yes, "new"},
        {platform::MsgResult::No, "old"},
        {platform::MsgResult::Cancel, "old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left);
        Put(dir + "notes.txt", "old");
        UseMemo("new");
        prompts.Boxes.clear();
        prompts.Answers = {c.answer};
        prompts.SaveAnswers.push_back(dir + "notes.txt");
        io->FileSaveAs();
        ASSERT_EQ(prompts.Boxes.size(), 1u);
        EXPECT_EQ(prompts.Boxes[0].Text, "OK to overwrite " + dir + "notes.txt");
        EXPECT_EQ(prompts.Boxes[0].Buttons, platform::MsgButtons::YesNoCancel);
        EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Confirmation);
        EXPECT_EQ(Slurp(dir + "notes.txt"), c.left);
    }
}

TEST_F(FileSave, onWrite_getsAnEmptiedFile_closedBeforeCompletion)
{
    Put(dir + "a.ini", "a much longer previous content");
    io->SetFilename(dir + "a.ini");
    io->SetModified(true);
    Record();
    io->OnWrite = [&](QObject* s, TTextFile& f) {
        EXPECT_EQ(s, io);
        EXPECT_EQ(Slurp(dir + "a.ini"), "");  // created empty
        f.WriteLine("[S]");
        f.WriteLine("k=v");
    };
    io->OnWriteComplete = [&](QObject*) {
        EXPECT_EQ(Slurp(dir + "a.ini"), "[S]\r\nk=v\r\n");
        events.push_back("complete");
    };
    io->FileSave();
    EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
    EXPECT_FALSE(io->Modified());
}

TEST_F(FileSave, nothingToWriteWith_writesNothingAndFiresNothing)
{
    QWidget plain;
    for (QWidget* control : {static_cast<QWidget*>(nullptr), &plain}) {
        io->SetControl(control);
        io->SetFilename(dir + "a.txt");
        io->SetModified(true);
        Record();
        io->FileSave();
        EXPECT_TRUE(Listing(tmp).empty());
        EXPECT_TRUE(events.empty());
        EXPECT_TRUE(io->Modified());
    }
}

TEST_F(FileSave, anotherKindOfControl_writesTheOnWriteWay)
{
    QWidget plain;
    io->SetControl(&plain);
    io->OnWrite = [](QObject*, TTextFile& f) { f.WriteLine("via event"); };
    io->WriteToFile(dir + "a.txt");
    EXPECT_EQ(Slurp(dir + "a.txt"), "via event\r\n");
}

TEST_F(FileSave, imageControl_savesItsPicture_andAnEmptyOneIsAFailure)
{
    TImage image;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    image.SetGraphic(picture, "png");
    io->SetControl(&image);
    Record();
    io->WriteToFile(dir + "pic.png");
    EXPECT_FALSE(image.Modified());
    EXPECT_EQ(QImage(QString::fromStdString(dir + "pic.png")).size(), QSize(4, 3));

    image.Clear();
    events.clear();
    io->WriteToFile(dir + "empty.png");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("error:EInvalidGraphic:" + dir + "empty.png:", 0), 0u) << events[0];
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "empty.png")));
}

// ---------------------------------------------------------------- backups

TEST_F(FileSave, getWriteFilename_isTheTemporaryFileWithBackups)
{
    io->SetFilename(dir + "notes.txt");
    EXPECT_EQ(io->GetWriteFilename(), dir + "notes.txt");
    io->SetMakeBackup(true);
    EXPECT_EQ(io->GetWriteFilename(), "jtFile_IO.tempfile");
    io->SetTempFilename(temp);
    Put(temp, "stale");
    EXPECT_EQ(io->GetWriteFilename(), temp);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(temp)));
}

TEST_F(FileSave, makeBackupOff_clearsTheBackupExtention)
{
    io->SetBackupExtention("old");
    io->SetMakeBackup(true);
    EXPECT_EQ(io->BackupExtention(), "old");
    io->SetMakeBackup(false);
    EXPECT_EQ(io->BackupExtention(), "bak");
    io->SetMakeBackup(true);
    EXPECT_EQ(io->BackupExtention(), "bak");
}

TEST_F(FileSave, backup_keepsThePreviousVersionUnderItsName)
{
    struct Case {
        const char* extention;
        const char* file;
        const char* backup;
    };
    const Case cases[] = {
        {"", "notes.txt", "notes.bak"},
        {"~", "notes.txt", "notes.~txt"},
        {"old", "notes.txt", "notes.old"},
        {"", "notes", "notes.bak"},
        {"~", "notes", "notes.~"},
        {"~", "archive.tar.gz", "archive.tar.~gz"},
        {"", ".profile", ".bak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.extention) + " " + c.file);
        QTemporaryDir d;
        const std::string base = d.path().toStdString() + "/";
        Put(base + c.file, "previous");
        io->SetMakeBackup(false);
        io->SetMakeBackup(true);
        io->SetBackupExtention(c.extention);
        io->SetTempFilename(temp);
        UseMemo("current");
        events.clear();
        Record();
        io->WriteToFile(base + c.file);
        EXPECT_EQ(Listing(d), (Files{{c.file, "current"}, {c.backup, "previous"}}));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(temp)));
        EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
    }
}

TEST_F(FileSave, backup_replacesTheBackupOfAnEarlierSave)
{
    Put(dir + "notes.txt", "second");
    Put(dir + "notes.old", "first");
    io->SetMakeBackup(true);
    io->SetBackupExtention("old");
    io->SetTempFilename(temp);
    UseMemo("third");
    io->WriteToFile(dir + "notes.txt");
    EXPECT_EQ(Listing(tmp), (Files{{"notes.txt", "third"}, {"notes.old", "second"}}));
}

TEST_F(FileSave, firstSaveWithBackup_makesNoBackup)
{
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    UseMemo("first");
    io->WriteToFile(dir + "notes.txt");
    EXPECT_EQ(Listing(tmp), (Files{{"notes.txt", "first"}}));
    EXPECT_TRUE(Listing(scratch).empty());
}

TEST_F(FileSave, backupThroughOnWrite_commitsAClosedFile)
{
    Put(dir + "a.ini", "old\r\n");
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    io->OnWrite = [](QObject*, TTextFile& f) { f.WriteLine("new"); };
    io->WriteToFile(dir + "a.ini");
    EXPECT_EQ(Listing(tmp), (Files{{"a.ini", "new\r\n"}, {"a.bak", "old\r\n"}}));
}

TEST_F(FileSave, commitFailures_leaveExactlyTheListedFiles)
{
    struct Case {
        const char* message;
        bool failDelete;
        int failMove;
        Files left;       // beside the file
        bool tempLeft;    // the new contents still in the temporary file
    };
    const Case cases[] = {
        {"Unable to delete backup file.", true, 0,
         {{"notes.txt", "previous"}, {"notes.bak", "older"}}, true},
        {"Unable to create backup file.", false, 1, {{"notes.txt", "previous"}}, true},
        {"Unable to complete the file save.", false, 2, {{"notes.bak", "previous"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        QTemporaryDir d;
        const std::string base = d.path().toStdString() + "/";
        Put(base + "notes.txt", "previous");
        Put(base + "notes.bak", "older");
        files.FailDelete = c.failDelete;
        files.FailMoveNumber = c.failMove;
        files.Moves = 0;
        io->SetMakeBackup(true);
        io->SetTempFilename(temp);
        UseMemo("current");
        events.clear();
        Record();
        swallow = false;
        try {
            io->WriteToFile(base + "notes.txt");
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.ClassName(), "Exception");
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(Listing(d), c.left);
        EXPECT_EQ(Slurp(temp), "current");
        // Modified was cleared before the commit; the completion never fired.
        EXPECT_FALSE(io->Modified());
        EXPECT_EQ(events, (std::vector<std::string>{"error:Exception:" + temp + ":" + c.message}));
        ::unlink(temp.c_str());
    }
}

TEST_F(FileSave, backupNamedLikeTheFile_failsWithoutLosingThePreviousVersion)
{
    Put(dir + "notes.txt", "previous");
    io->SetMakeBackup(true);
    io->SetBackupExtention("txt");
    io->SetTempFilename(temp);
    UseMemo("current");
    EXPECT_THROW(io->WriteToFile(dir + "notes.txt"), Exception);
    EXPECT_EQ(Listing(tmp), (Files{{"notes.txt", "previous"}}));
    EXPECT_EQ(Slurp(temp), "current");
}

TEST_F(FileSave, readOnlyDirectory_withBackup_keepsTheFileAndTheNewContents)
{
    Put(dir + "notes.txt", "previous");
    files.ReadOnlyDir = dir;
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    UseMemo("current");
    Record();
    io->WriteToFile(dir + "notes.txt");
    EXPECT_EQ(events, (std::vector<std::string>{"error:Exception:" + temp + ":Unable to create backup file."}));
    EXPECT_EQ(Listing(tmp), (Files{{"notes.txt", "previous"}}));
    EXPECT_EQ(Slurp(temp), "current");
}

TEST_F(FileSave, readOnlyDirectory_onDisk_isReportedNotSucceeded)
{
    const std::string ro = dir + "ro/";
    ASSERT_EQ(::mkdir(ro.c_str(), 0755), 0);
    Put(ro + "notes.txt", "previous");
    ASSERT_EQ(::chmod(ro.c_str(), 0555), 0);
    if (::access(ro.c_str(), W_OK) == 0) {
        ::chmod(ro.c_str(), 0755);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    UseMemo("current");
    swallow = false;
    Record();
    EXPECT_THROW(io->WriteToFile(ro + "notes.txt"), Exception);
    EXPECT_EQ(Slurp(ro + "notes.txt"), "previous");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ro + "notes.bak")));
    ::chmod(ro.c_str(), 0755);
}

// ---------------------------------------------------------------- write failures

TEST_F(FileSave, writeFailure_carriesTheMediumSuffix)
{
    struct Case {
        int code;
        const char* suffix;
    };
    const Case cases[] = {
        {EROFS, " - Floppy is write protected"},
        {ENOMEDIUM, " - No disk in floppy drive"},
        {ENXIO, " - No disk in floppy drive"},
        {EIO, ""},
        {ENODEV, ""},  // 19 and 21 mean other things here
        {EISDIR, ""},
        {ENOSPC, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        files.FailWrite = true;
        files.FailWriteCode = c.code;
        UseMemo("current");
        events.clear();
        Record();
        swallow = true;
        io->WriteToFile(dir + "notes.txt");
        EXPECT_EQ(events, (std::vector<std::string>{"error:EInOutError:" + dir + "notes.txt:Write error" +
                                                    c.suffix}));
        EXPECT_TRUE(memo.Modified());

        io->OnWriteError = nullptr;
        try {
            io->WriteToFile(dir + "notes.txt");
            ADD_FAILURE() << "no failure";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), std::string("Write error") + c.suffix);
            EXPECT_EQ(e.ErrorCode, c.code);
        }
    }
}

TEST_F(FileSave, writeFailureThroughOnWrite_namesTheTemporaryFile_andLeavesTheFile)
{
    Put(dir + "a.ini", "previous");
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    io->SetModified(true);
    files.FailWrite = true;
    files.FailWriteCode = EROFS;
    io->OnWrite = [](QObject*, TTextFile& f) { f.WriteLine("new"); };
    Record();
    io->WriteToFile(dir + "a.ini");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "error:EInOutError:" + temp + ":Write error - Floppy is write protected");
    EXPECT_EQ(Listing(tmp), (Files{{"a.ini", "previous"}}));
    EXPECT_TRUE(io->Modified());
}

TEST_F(FileSave, readOnlyMedium_withoutBackup_reportsTheSuffix)
{
    Put(dir + "notes.txt", "previous");
    files.ReadOnlyDir = dir;
    files.ReadOnlyCode = EROFS;
    UseMemo("current");
    Record();
    io->WriteToFile(dir + "notes.txt");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find(" - Floppy is write protected"), std::string::npos) << events[0];
    EXPECT_EQ(Slurp(dir + "notes.txt"), "previous");
}

TEST_F(FileSave, handlerFailures_areOffered_foreignOnesWrapped)
{
    io->SetFilename(dir + "a.txt");
    Record();
    io->OnWrite = [](QObject*, TTextFile&) { throw std::runtime_error("disk gremlin"); };
    io->FileSave();
    EXPECT_EQ(events, (std::vector<std::string>{"error:Exception:" + dir + "a.txt:disk gremlin"}));
    swallow = false;
    EXPECT_THROW(io->FileSave(), std::runtime_error);

    // A failing completion handler is a write failure too.
    events.clear();
    swallow = true;
    io->OnWrite = [](QObject*, TTextFile& f) { f.WriteLine("x"); };
    io->OnWriteComplete = [](QObject*) { throw EInvalidOperation("refused"); };
    io->FileSave();
    EXPECT_EQ(events, (std::vector<std::string>{"error:EInvalidOperation:" + dir + "a.txt:refused"}));
}

TEST_F(FileSave, noWriteErrorHandler_passesTheFailureOn)
{
    io->SetMakeBackup(true);
    io->SetTempFilename(temp);
    files.FailMoveNumber = 1;
    Put(dir + "notes.txt", "previous");
    UseMemo("current");
    EXPECT_THROW(io->WriteToFile(dir + "notes.txt"), Exception);
}

}  // namespace
