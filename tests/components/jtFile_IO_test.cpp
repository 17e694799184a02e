// The file component's names, bindings and read cycle.
#include "support/TestFiles.h"
#include "components/jtControls.h"
#include "components/jtFile_IO.h"
#include "platform/Fakes.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

using testfiles::Slurp;
using testfiles::Put;

const char* const kTextFilter =
    "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg|Text Files (*.txt)|*.txt|Ini Files (*.ini)|*.ini|"
    "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";

class FileIO : public ::testing::Test {
protected:
    platform::FakePrompts prompts;
    platform::FakeSystem sys;
    platform::FaultyFileSystem files;
    platform::ScopedPlatform guard{&prompts, &sys, &files};
    QTemporaryDir tmp;
    std::string dir = tmp.path().toStdString() + "/";
    QObject owner;
    TjtFile_IO* io = new TjtFile_IO(&owner);

    // Records every event the component raises, in order.
    std::vector<std::string> events;
    void Record()
    {
        io->OnReadComplete = [this](QObject* s) {
            EXPECT_EQ(s, io);
            events.push_back("complete");
        };
        io->OnReadError = [this](QObject* s, std::string name, Exception& e) {
            EXPECT_EQ(s, io);
            events.push_back(std::string("error:") + e.ClassName() + ":" + name + ":" + e.Message());
            return swallow;
        };
        io->OnNotFound = [this](QObject* s, std::string name) {
            EXPECT_EQ(s, io);
            events.push_back("notfound:" + name);
        };
    }
    bool swallow = true;
};

// ---------------------------------------------------------------- names

TEST_F(FileIO, construction_startsBesideTheProgram)
{
    EXPECT_EQ(io->Filename(), "");
    EXPECT_EQ(io->Directory(), "/opt/profilora/");
    EXPECT_EQ(io->FullFilename(), "/opt/profilora/");
    EXPECT_EQ(io->TempFilename(), "jtFile_IO.tempfile");
    EXPECT_FALSE(io->Modified());
    EXPECT_FALSE(io->OpenOnLoad());
    EXPECT_FALSE(io->AutoOpenDialog());
    EXPECT_FALSE(io->MakeBackup());
    EXPECT_EQ(io->BackupExtention(), "bak");
    EXPECT_EQ(io->Filter(), "All Files (*.*)|*.*");
    EXPECT_EQ(io->Control(), nullptr);
    EXPECT_EQ(io->Owner(), &owner);
}

TEST_F(FileIO, setNames_splitsAtTheLastSlashOnly)
{
    struct Step {
        bool directory;  // SetDirectory, else SetFilename
        const char* value;
        const char* filename;
        const char* dir;
        const char* full;
    };
    const Step steps[] = {
        {false, "/data/a.txt", "a.txt", "/data/", "/data/a.txt"},
        {false, "b.txt", "b.txt", "/data/", "/data/b.txt"},
        {true, "/data", "b.txt", "/", "/b.txt"},
        {true, "/data/", "b.txt", "/data/", "/data/b.txt"},
        {true, "/data/sub/any.file", "b.txt", "/data/sub/", "/data/sub/b.txt"},
        {true, "", "b.txt", "", "/b.txt"},
        {false, "c:d.txt", "c:d.txt", "", "/c:d.txt"},
        {false, "rel/dir/e.txt", "e.txt", "rel/dir/", "rel/dir/e.txt"},
        {false, "", "", "rel/dir/", "rel/dir/"},
        {false, "/x/y/", "", "/x/y/", "/x/y/"},
        {false, "C:\\data\\f.txt", "C:\\data\\f.txt", "/x/y/", "/x/y/C:\\data\\f.txt"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.value);
        if (s.directory) io->SetDirectory(s.value);
        else io->SetFilename(s.value);
        EXPECT_EQ(io->Filename(), s.filename);
        EXPECT_EQ(io->Directory(), s.dir);
        EXPECT_EQ(io->FullFilename(), s.full);
    }
}

TEST(FilePaths, helpersTreatOnlySlashAsDelimiter)
{
    struct Case {
        const char* path;
        const char* dir;
        const char* name;
        const char* ext;
        const char* withDelimiter;
    };
    const Case cases[] = {
        {"/data/a.txt", "/data/", "a.txt", ".txt", "/data/a.txt/"},
        {"a", "", "a", "", "a/"},
        {"", "", "", "", "/"},
        {"/", "/", "", "", "/"},
        {"/my.dir/noext", "/my.dir/", "noext", "", "/my.dir/noext/"},
        {"archive.tar.gz", "", "archive.tar.gz", ".gz", "archive.tar.gz/"},
        {"/home/.bashrc", "/home/", ".bashrc", ".bashrc", "/home/.bashrc/"},
        {"c:x", "", "c:x", "", "c:x/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(jt::ExtractFilePath(c.path), c.dir);
        EXPECT_EQ(jt::ExtractFileName(c.path), c.name);
        EXPECT_EQ(jt::ExtractFileExt(c.path), c.ext);
        EXPECT_EQ(jt::IncludeTrailingPathDelimiter(c.path), c.withDelimiter);
    }
}

TEST_F(FileIO, emptyProgramPath_leavesDirectoryEmpty)
{
    sys.Program = "profilora";
    TjtFile_IO other(&owner);
    EXPECT_EQ(other.Directory(), "");
    EXPECT_EQ(other.FullFilename(), "/");
}

// ---------------------------------------------------------------- filter and binding

TEST_F(FileIO, filter_expandsShortNamesAndFollowsTheControl)
{
    TMemo memo;
    TRichEdit rich;
    TImage image;
    QWidget plain;
    struct Case {
        const char* stored;
        QWidget* control;
        std::string expected;
    };
    const std::string pas =
        "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg;*.pas;*.dfm;*.dpr|Text Files (*.txt)|*.txt|"
        "Ini Files (*.ini)|*.ini|Delphi Source (*.pas)|*.pas|Delphi text (pas dfm dpr)|*.pas;*.dfm;*.dpr|"
        "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";
    const std::string c =
        "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg;*.c;*.cpp;*.cxx;*.h;*.hpp;makefile|Text Files (*.txt)|*.txt|"
        "Ini Files (*.ini)|*.ini|C++ Source (*.c *.cpp *.h *.hpp)|*.c;*.cpp;*.cxx;*.h;*.hpp;makefile|"
        "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";
    const Case cases[] = {
        {"pas", nullptr, pas},
        {"c", &memo, c},
        {"PAS", nullptr, "PAS"},
        {"C", nullptr, "C"},
        {"", nullptr, "All Files (*.*)|*.*"},
        {"", &memo, kTextFilter},
        {"", &rich, kTextFilter},
        {"", &plain, "All Files (*.*)|*.*"},
        {"", &image, TImage::GraphicFilter()},
        {"Pages|*.html", &memo, "Pages|*.html"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.stored) + (k.control ? k.control->metaObject()->className() : " none"));
        io->SetControl(nullptr);
        io->SetControl(k.control);
        io->SetFilter(k.stored);
        EXPECT_EQ(io->Filter(), k.expected);
    }
}

TEST_F(FileIO, bindingAnotherClass_clearsFilter_sameClassKeepsIt)
{
    TMemo memo1, memo2;
    TRichEdit rich;
    io->SetControl(&memo1);
    io->SetFilter("Pages|*.html");
    io->SetControl(&memo2);  // same class
    EXPECT_EQ(io->Filter(), "Pages|*.html");
    EXPECT_EQ(io->Control(), &memo2);
    io->SetControl(&rich);  // another class
    EXPECT_EQ(io->Filter(), kTextFilter);
    io->SetFilter("Pages|*.html");
    io->SetControl(nullptr);
    EXPECT_EQ(io->Filter(), "All Files (*.*)|*.*");
    // Binding a first control to an unbound component keeps the filter.
    io->SetFilter("Pages|*.html");
    io->SetControl(&rich);
    EXPECT_EQ(io->Filter(), "Pages|*.html");
}

TEST_F(FileIO, destroyingTheBoundControl_unbindsIt)
{
    auto* memo = new TMemo;
    io->SetControl(memo);
    io->SetFilter("Pages|*.html");
    delete memo;
    EXPECT_EQ(io->Control(), nullptr);
    EXPECT_EQ(io->Filter(), "All Files (*.*)|*.*");
}

TEST_F(FileIO, destroyingAFormerControl_keepsTheCurrentOne)
{
    auto* first = new TMemo;
    TMemo second;
    io->SetControl(first);
    io->SetControl(&second);
    io->SetFilter("Pages|*.html");
    delete first;
    EXPECT_EQ(io->Control(), &second);
    EXPECT_EQ(io->Filter(), "Pages|*.html");
}

TEST_F(FileIO, controlOutlivingTheComponent_isSafeToDestroy)
{
    auto* memo = new TMemo;
    io->SetControl(memo);
    delete io;
    io = nullptr;
    delete memo;  // must not reach the deleted component
    SUCCEED();
}

// ---------------------------------------------------------------- modified

TEST_F(FileIO, modified_followsTheBoundTextControl)
{
    TMemo memo;
    io->SetControl(&memo);
    EXPECT_FALSE(io->Modified());
    memo.SetModified(true);  // the user typed
    EXPECT_TRUE(io->Modified());
    io->SetModified(false);
    EXPECT_FALSE(memo.Modified());
    io->SetModified(true);
    EXPECT_TRUE(memo.Modified());
}

TEST_F(FileIO, modified_followsTheImageGraphic_falseWithoutOne)
{
    TImage image;
    io->SetControl(&image);
    io->SetModified(true);
    EXPECT_FALSE(io->Modified());  // no graphic
    image.SetGraphic(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_TRUE(io->Modified());
    io->SetModified(false);
    EXPECT_FALSE(image.Modified());
}

TEST_F(FileIO, modified_standsAloneWithoutTextOrImageControl)
{
    QWidget plain;
    io->SetModified(true);
    EXPECT_TRUE(io->Modified());
    io->SetControl(&plain);
    EXPECT_TRUE(io->Modified());
    io->SetModified(false);
    EXPECT_FALSE(io->Modified());
}

// ---------------------------------------------------------------- reading

TEST_F(FileIO, readIntoTextControl_keepsEveryByte)
{
    const std::string bytes("head\r\n\0mid\xe9\xff\rtail", 18);
    Put(dir + "page.html", bytes);
    TRichEdit rich;
    rich.SetText("old");
    rich.SetModified(true);
    io->SetControl(&rich);
    Record();
    io->OpenFile(dir + "page.html");
    EXPECT_EQ(rich.Text(), bytes);
    EXPECT_FALSE(rich.Modified());
    EXPECT_FALSE(io->Modified());
    EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
    EXPECT_EQ(io->Filename(), "page.html");
    EXPECT_EQ(io->Directory(), dir);
}

TEST_F(FileIO, readThroughOnRead_handsAnOpenFileAndCompletesBeforeClosing)
{
    Put(dir + "a.ini", "[S]\r\nk=v\r\n");
    io->SetFilename(dir + "a.ini");
    Record();
    io->SetModified(true);
    std::vector<std::string> lines;
    TTextFile* handed = nullptr;
    io->OnRead = [&](QObject* s, TTextFile& f) {
        EXPECT_EQ(s, io);
        EXPECT_EQ(f.Path(), dir + "a.ini");
        handed = &f;
        while (!f.Eof()) lines.push_back(f.ReadLine());
        events.push_back("read");
    };
    io->OnReadComplete = [&](QObject*) {
        ASSERT_NE(handed, nullptr);
        EXPECT_TRUE(handed->IsOpen());
        events.push_back("complete");
    };
    io->ReadFromFile();
    EXPECT_EQ(lines, (std::vector<std::string>{"[S]", "k=v"}));
    EXPECT_EQ(events, (std::vector<std::string>{"read", "complete"}));
    EXPECT_FALSE(io->Modified());
}

TEST_F(FileIO, readWithoutControlOrOnRead_doesNothing)
{
    Put(dir + "a.txt", "x");
    io->SetFilename(dir + "a.txt");
    Record();
    io->SetModified(true);
    io->ReadFromFile();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(io->Modified());
}

TEST_F(FileIO, readIntoAnotherKindOfControl_doesNothing)
{
    QWidget plain;
    Put(dir + "a.txt", "x");
    io->SetControl(&plain);
    io->SetFilename(dir + "a.txt");
    Record();
    bool read = false;
    io->OnRead = [&](QObject*, TTextFile&) { read = true; };
    io->ReadFromFile();
    EXPECT_FALSE(read);
    EXPECT_TRUE(events.empty());
}

TEST_F(FileIO, missingFile_withoutHandlers_raisesFileNotFound)
{
    io->SetFilename(dir + "gone.txt");
    try {
        io->ReadFromFile();
        FAIL() << "no failure";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "File not found\n\n        " + dir + "gone.txt");
    }
}

TEST_F(FileIO, missingFile_routing)
{
    struct Case {
        const char* name;
        bool notFound;       // OnNotFound assigned
        bool errorHandler;   // OnReadError assigned
        bool swallow;        // its answer
        bool throws;
        std::vector<std::string> events;
    };
    const std::string full = dir + "gone.txt";
    const std::string failure = "error:EFOpenError:" + full + ":File not found\n\n        " + full;
    const Case cases[] = {
        {"OnNotFound takes it", true, true, true, false, {"notfound:" + full}},
        {"error event drops it", false, true, true, false, {failure}},
        {"error event passes it on", false, true, false, true, {failure}},
        {"nobody", false, false, false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        Record();
        swallow = c.swallow;
        if (!c.notFound) io->OnNotFound = nullptr;
        if (!c.errorHandler) io->OnReadError = nullptr;
        io->SetFilename(full);
        if (c.throws) EXPECT_THROW(io->ReadFromFile(), EFOpenError);
        else EXPECT_NO_THROW(io->ReadFromFile());
        EXPECT_EQ(events, c.events);
    }
}

TEST_F(FileIO, missingFile_autoOpenDialogCancelled_fallsThrough)
{
    io->SetAutoOpenDialog(true);
    io->SetOpenDialogTitle("Find the page");
    io->SetFilter("pas");
    io->SetFilename(dir + "gone.txt");
    Record();
    io->ReadFromFile();
    ASSERT_EQ(prompts.OpenDialogs.size(), 1u);
    const platform::FileDialogSetup& d = prompts.OpenDialogs[0];
    EXPECT_EQ(d.InitialDir, dir);
    EXPECT_EQ(d.FileName, "gone.txt");
    EXPECT_EQ(d.Title, "Find the page");
    EXPECT_EQ(d.Filter, io->Filter());
    EXPECT_TRUE(d.HideReadOnly && d.PathMustExist && d.FileMustExist && d.EnableSizing);
    EXPECT_EQ(events, (std::vector<std::string>{"notfound:" + dir + "gone.txt"}));

    io->OnNotFound = nullptr;
    io->OnReadError = nullptr;
    EXPECT_THROW(io->ReadFromFile(), EFOpenError);
}

TEST_F(FileIO, missingFile_autoOpenDialogConfirmed_readsTheChosenFile)
{
    ASSERT_EQ(::mkdir((dir + "other").c_str(), 0755), 0);
    Put(dir + "other/found.txt", "found");
    TMemo memo;
    memo.SetModified(true);  // the dialog asks nothing about changes here
    io->SetControl(&memo);
    io->SetAutoOpenDialog(true);
    bool opened = false;
    io->OnOpen = [&](QObject*, std::string) { opened = true; };
    prompts.OpenAnswers.push_back(dir + "other/found.txt");
    io->SetFilename(dir + "gone.txt");
    Record();
    io->ReadFromFile();
    EXPECT_EQ(memo.Text(), "found");
    EXPECT_EQ(io->Filename(), "found.txt");
    EXPECT_EQ(io->Directory(), dir + "other/");
    EXPECT_FALSE(opened);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
}

TEST_F(FileIO, unreadableFile_isOfferedWithItsName_andSwallowedQuietly)
{
    // A FIFO exists but is refused by the reader without blocking.
    const std::string fifo = dir + "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    TMemo memo;
    memo.SetText("kept");
    memo.SetModified(true);
    io->SetControl(&memo);
    Record();
    io->OpenFile(fifo);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("error:EFOpenError:" + fifo + ":", 0), 0u) << events[0];
    EXPECT_EQ(memo.Text(), "kept");
    EXPECT_TRUE(io->Modified());
    EXPECT_EQ(io->Filename(), "pipe.txt");  // the new name stays

    swallow = false;
    EXPECT_THROW(io->OpenFile(fifo), EFOpenError);
}

TEST_F(FileIO, failureInOnRead_isOffered_foreignFailuresWrapped)
{
    Put(dir + "a.txt", "x");
    io->SetFilename(dir + "a.txt");
    Record();
    io->OnRead = [](QObject*, TTextFile&) { throw std::runtime_error("handler broke"); };
    io->ReadFromFile();
    EXPECT_EQ(events, (std::vector<std::string>{"error:Exception:" + dir + "a.txt:handler broke"}));

    // Not handled: the original failure goes on, not the wrapper.
    swallow = false;
    EXPECT_THROW(io->ReadFromFile(), std::runtime_error);

    io->OnRead = [](QObject*, TTextFile&) { throw EConvertError("bad value"); };
    try {
        io->ReadFromFile();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "bad value");
    }
}

TEST_F(FileIO, readErrorHandlerMayChangeTheMessage)
{
    io->SetFilename(dir + "gone.txt");
    io->OnReadError = [](QObject*, std::string, Exception& e) {
        e.SetMessage("Cannot find the page");
        return false;
    };
    try {
        io->ReadFromFile();
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot find the page");
    }
}

// ---------------------------------------------------------------- images

class FileIOImage : public FileIO {
protected:
    void SetUp() override
    {
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(QString::fromStdString(dir + "red.png"), "png"));
        Put(dir + "broken.png", "not a picture at all");
        Put(dir + "notes.xyz", "x");
        image.SetGraphic(QImage(1, 1, QImage::Format_RGB32));
        io->SetControl(&image);
        Record();
    }
    TImage image;
};

TEST_F(FileIOImage, validPicture_loadsAndCompletes)
{
    io->OpenFile(dir + "red.png");
    EXPECT_EQ(image.Graphic().size(), QSize(3, 2));
    EXPECT_FALSE(io->Modified());
    EXPECT_EQ(events, (std::vector<std::string>{"complete"}));
}

TEST_F(FileIOImage, invalidPicture_neverOffered_andEmptiesThePicture)
{
    for (const char* name : {"broken.png", "notes.xyz"}) {
        SCOPED_TRACE(name);
        image.SetGraphic(QImage(1, 1, QImage::Format_RGB32));
        EXPECT_THROW(io->OpenFile(dir + name), EInvalidGraphic);
        EXPECT_FALSE(image.HasGraphic());
        EXPECT_TRUE(events.empty());
    }
}

TEST_F(FileIOImage, unreadablePicture_isOffered_andEmptiesThePicture)
{
    ASSERT_EQ(::mkfifo((dir + "pipe.png").c_str(), 0644), 0);
    io->OpenFile(dir + "pipe.png");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("error:EFOpenError:", 0), 0u);
    EXPECT_FALSE(image.HasGraphic());
}

TEST_F(FileIOImage, failingCompletion_emptiesThePicture)
{
    io->OnReadComplete = [](QObject*) { throw EInvalidOperation("no room"); };
    io->OpenFile(dir + "red.png");
    EXPECT_FALSE(image.HasGraphic());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "error:EInvalidOperation:" + dir + "red.png:no room");
}

// ---------------------------------------------------------------- open, new, query

TEST_F(FileIO, fileOpen_withOnOpen_handsTheChoiceOverAndReadsNothing)
{
    io->SetDirectory(dir);
    io->SetFilename("old.txt");
    io->SetOpenDialogTitle("Open a page");
    std::vector<std::string> handed;
    io->OnOpen = [&](QObject* s, std::string name) {
        EXPECT_EQ(s, io);
        EXPECT_EQ(io->FullFilename(), name);  // already set
        handed.push_back(name);
    };
    bool read = false;
    io->OnRead = [&](QObject*, TTextFile&) { read = true; };
    prompts.OpenAnswers.push_back("/elsewhere/new.html");  // need not exist
    io->FileOpen();
    ASSERT_EQ(prompts.OpenDialogs.size(), 1u);
    EXPECT_EQ(prompts.OpenDialogs[0].FileName, "");
    EXPECT_EQ(prompts.OpenDialogs[0].InitialDir, dir);
    EXPECT_EQ(prompts.OpenDialogs[0].Title, "Open a page");
    EXPECT_EQ(handed, (std::vector<std::string>{"/elsewhere/new.html"}));
    EXPECT_EQ(io->Filename(), "new.html");
    EXPECT_EQ(io->Directory(), "/elsewhere/");
    EXPECT_FALSE(read);
}

TEST_F(FileIO, fileOpen_readsTheChosenFile_cancelChangesNothing)
{
    Put(dir + "b.txt", "bee");
    TMemo memo;
    io->SetControl(&memo);
    io->SetFilename("/start/a.txt");
    io->FileOpen();  // cancelled
    EXPECT_EQ(io->FullFilename(), "/start/a.txt");
    EXPECT_EQ(memo.Text(), "");
    prompts.OpenAnswers.push_back(dir + "b.txt");
    io->FileOpen();
    EXPECT_EQ(memo.Text(), "bee");
    EXPECT_EQ(io->FullFilename(), dir + "b.txt");
}

TEST_F(FileIO, querySaveChanges_answers)
{
    struct Case {
        const char* name;
        bool modified;
        platform::MsgResult answer;
        bool result;
        size_t boxes;
    };
    const Case cases[] = {
        {"unmodified asks nothing", false, platform::MsgResult::Yes, true, 0},
        {"No discards", true, platform::MsgResult::No, true, 1},
        {"Cancel stops", true, platform::MsgResult::Cancel, false, 1},
        {"Yes with the dialog cancelled stops", true, platform::MsgResult::Yes, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Boxes.clear();
        prompts.Answers = {c.answer};
        io->SetModified(c.modified);
        EXPECT_EQ(io->QuerySaveChanges(), c.result);
        ASSERT_EQ(prompts.Boxes.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(prompts.Boxes[0].Text, "Do you want to save your changes?");
            EXPECT_EQ(prompts.Boxes[0].Caption, "Save Changes");
            EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Question);
            EXPECT_EQ(prompts.Boxes[0].Buttons, platform::MsgButtons::YesNoCancel);
        }
    }
}

TEST_F(FileIO, querySaveChanges_yesAndSaved_goesOn)
{
    TMemo memo;
    memo.SetText("draft");
    memo.SetModified(true);
    io->SetControl(&memo);
    prompts.Answers = {platform::MsgResult::Yes};
    prompts.SaveAnswers.push_back(dir + "draft.txt");
    EXPECT_TRUE(io->QuerySaveChanges());
    EXPECT_EQ(Slurp(dir + "draft.txt"), "draft");
    EXPECT_FALSE(memo.Modified());
}

TEST_F(FileIO, yesThenSaveCancelled_stopsFileOpenAndFileNew)
{
    TMemo memo;
    memo.SetText("unsaved");
    memo.SetModified(true);
    io->SetControl(&memo);
    io->SetFilename("/data/a.txt");

    prompts.Answers = {platform::MsgResult::Yes};
    io->FileOpen();
    EXPECT_EQ(prompts.SaveDialogs.size(), 1u);
    EXPECT_TRUE(prompts.OpenDialogs.empty());

    prompts.Answers = {platform::MsgResult::Yes};
    io->FileNew();
    EXPECT_EQ(memo.Text(), "unsaved");
    EXPECT_EQ(io->Filename(), "a.txt");
    EXPECT_TRUE(io->Modified());
}

TEST_F(FileIO, fileNew_emptiesTheControlAndTheNameButKeepsTheDirectory)
{
    TMemo memo;
    memo.SetText("text");
    io->SetControl(&memo);
    io->SetFilename("/data/a.txt");
    io->FileNew();
    EXPECT_EQ(memo.Text(), "");
    EXPECT_EQ(io->Filename(), "");
    EXPECT_EQ(io->Directory(), "/data/");
    EXPECT_EQ(io->FullFilename(), "/data/");

    TImage image;
    image.SetGraphic(QImage(1, 1, QImage::Format_RGB32));
    image.SetModified(false);
    io->SetControl(&image);
    io->FileNew();
    EXPECT_FALSE(image.HasGraphic());
}

TEST_F(FileIO, fileNew_withModifiedAndNo_discards)
{
    TMemo memo;
    memo.SetText("text");
    memo.SetModified(true);
    io->SetControl(&memo);
    prompts.Answers = {platform::MsgResult::No};
    io->FileNew();
    EXPECT_EQ(memo.Text(), "");
    EXPECT_TRUE(prompts.SaveDialogs.empty());
}

// ---------------------------------------------------------------- after load

TEST_F(FileIO, openOnLoad_readsOnceAfterLoading)
{
    Put(dir + "start.txt", "s");
    io->SetFilename(dir + "start.txt");
    io->SetOpenOnLoad(true);
    io->SetLoading(true);
    int reads = 0;
    io->OnRead = [&](QObject* s, TTextFile&) {
        EXPECT_FALSE(static_cast<TComponent*>(s)->Loading());
        ++reads;
    };
    io->Loaded();
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(io->OpenOnLoad());
    io->Loaded();
    EXPECT_EQ(reads, 1);
}

TEST_F(FileIO, withoutOpenOnLoad_loadingReadsNothing)
{
    Put(dir + "start.txt", "s");
    io->SetFilename(dir + "start.txt");
    int reads = 0;
    io->OnRead = [&](QObject*, TTextFile&) { ++reads; };
    io->Loaded();
    EXPECT_EQ(reads, 0);
}

}  // namespace
