// "Open Station..." in the window, against a local server standing in for
// the archive: type, Enter, the launches play; the second time the copy in
// the cache is confirmed by a 304; failures are told and the page stays.
#include "ExtrasSupport.h"

#include "LocalHttpServer.h"
#include "TestFiles.h"
#include "app/ClimateSource.h"
#include "app/StationDialog.h"
#include "app/StationOpener.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using namespace extras_test;
using testhttp::TLocalHttpServer;
using testhttp::TSeen;

namespace {

const std::string& Station() { return testhttp::StationZip(); }

// The archive's layout: this year's folder lists Sterling's 2016 file; both
// files carry ETag "v1" and answer 304 to it.
void Archive(QTcpSocket& S, const TSeen& R)
{
    if (R.Path == "/access/data-y2d/")
        TLocalHttpServer::Reply(S, 200, "",
                                "<a href=\"USM00072403-data-beg2016.txt.zip\">USM00072403-data-beg2016.txt.zip</a>");
    else if (R.Headers.count("if-none-match") && R.Headers.at("if-none-match") == "\"v1\"")
        TLocalHttpServer::Reply(S, 304, "", "", false);
    else if (R.Path == "/access/data-y2d/USM00072403-data-beg2016.txt.zip" ||
             R.Path == "/access/data-por/USM00072403-data.txt.zip")
        TLocalHttpServer::Reply(S, 200, "ETag: \"v1\"\r\n", Station());
    else
        TLocalHttpServer::Reply(S, 404, "", "<html>404</html>");
}

class StationWindow : public ExtrasTest {
protected:
    TLocalHttpServer server;

    void SetUp() override
    {
        ExtrasTest::SetUp();
        setenv("XDG_CACHE_HOME", Path("cache").c_str(), 1);
        setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
        std::filesystem::copy_file(PROFILORA_DATA_DIR "/igra2-station-list.txt", Path("igra2-station-list.txt"));
        Write("profilora.ini", "[Sources]\nIGRA=" + server.Base() + "\n");
        server.Answer = Archive;
        MakeForm();
    }
    void TearDown() override
    {
        ExtrasTest::TearDown();
        unsetenv("XDG_CACHE_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
    app::TStationOpener& Opener() { return *form->Extras->Stations; }
    // Types Query in the dialog and presses Enter; returns once the download ended.
    void OpenByTyping(const std::string& Query, bool WholeRecord = false)
    {
        form->Extras->StationAction->trigger();
        app::TStationDialog& dialog = *Opener().Dialog();
        ASSERT_TRUE(dialog.isVisible());
        dialog.Search_Edit->clear();
        (WholeRecord ? dialog.WholeRecord_Radio : dialog.ThisYear_Radio)->setChecked(true);
        QTest::keyClicks(dialog.Search_Edit, QString::fromStdString(Query));
        QTest::keyClick(dialog.Search_Edit, Qt::Key_Return);
        for (int i = 0; i < 500 && Opener().Downloading(); ++i) QTest::qWait(10);
        ASSERT_FALSE(Opener().Downloading());
    }
    std::string Caption() const { return form->windowTitle().toStdString(); }
};

TEST_F(StationWindow, TypingSterlingAndEnterPlaysItsLaunchesAndTheSecondTimeComesFromTheCache)
{
    OpenByTyping("sterling");
    ASSERT_EQ(form->LapseRates->Count(), 662) << (prompts.Boxes.empty() ? "" : prompts.Boxes.back().Text);
    EXPECT_EQ(Caption(), "Profilora - STERLING; VA. (USM00072403, this year)");
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    ASSERT_EQ(prompts.Transfers.size(), 1u);
    EXPECT_TRUE(prompts.Transfers[0].Closed);
    EXPECT_EQ(Opener().Recent(), std::vector<std::string>{"USM00072403 y2d"});
    EXPECT_EQ(Read(Path("cache/profilora/igra/USM00072403-data-beg2016.txt.zip")), Station());

    const std::size_t before = server.Requests.size();
    OpenByTyping("72403");
    ASSERT_EQ(server.Requests.size(), before + 1);
    EXPECT_EQ(server.Requests.back().Headers["if-none-match"], "\"v1\"");
    EXPECT_EQ(form->LapseRates->Count(), 662);
    EXPECT_EQ(Caption(), "Profilora - STERLING; VA. (USM00072403, this year)");
    EXPECT_TRUE(prompts.Boxes.empty());
    // Kept for the next start, once.
    EXPECT_EQ(Read(Path("config/profilora/stations.ini")), "[Recent stations]\n1=USM00072403 y2d\n");
}

TEST_F(StationWindow, FailuresAreToldAndThePageOnShowStays)
{
    struct Row {
        const char* Query;
        std::function<void(QTcpSocket&, const TSeen&)> Answer;
        bool Cached;
        const char* Box;      // part of the message box; "" = none
        const char* Caption;  // part of the caption afterwards
    };
    const Row rows[] = {
        {"denver stapleton", Archive, false, "The archive at 127.0.0.1 has no file for USM00072469 (whole record).",
         "Profilora"},
        {"sterling", [](QTcpSocket& S, const TSeen&) { TLocalHttpServer::Reply(S, 200, "", "<html>busy</html>"); },
         false, "Cannot download USM00072403 (whole record): the server sent a web page", "Profilora"},
        {"sterling", [](QTcpSocket& S, const TSeen&) { S.disconnectFromHost(); }, true, "",
         "(USM00072403, whole record) (offline copy of 2025-01-02)"},
    };
    for (const Row& r : rows) {
        std::filesystem::remove_all(Path("cache"));
        if (r.Cached) {
            std::filesystem::create_directories(Path("cache/profilora/igra"));
            testfiles::Put(Path("cache/profilora/igra/USM00072403-data.txt.zip"), Station());
            testfiles::Put(Path("cache/profilora/igra/USM00072403-data.txt.zip.meta"), "fetched=2025-01-02\n");
        }
        prompts.Boxes.clear();
        server.Answer = r.Answer;
        const std::string captionBefore = Caption();
        OpenByTyping(r.Query, true);
        if (*r.Box) {
            ASSERT_EQ(prompts.Boxes.size(), 1u) << r.Query;
            EXPECT_NE(prompts.Boxes[0].Text.find(r.Box), std::string::npos) << prompts.Boxes[0].Text;
            EXPECT_EQ(Caption(), captionBefore);
            // The dialog comes back as it was, to try again.
            EXPECT_TRUE(Opener().Dialog()->isVisible()) << r.Query;
            EXPECT_EQ(Opener().Dialog()->Search_Edit->text().toStdString(), r.Query);
        } else {
            EXPECT_TRUE(prompts.Boxes.empty()) << prompts.Boxes[0].Text;
        }
        EXPECT_NE(Caption().find(r.Caption), std::string::npos) << Caption();
    }
}

TEST_F(StationWindow, DialogCountsInWordsAndShowsWholeIds)
{
    form->Extras->StationAction->trigger();
    app::TStationDialog& dialog = *Opener().Dialog();
    // No recent stations yet: neither the list nor its label.
    EXPECT_FALSE(dialog.Recent_Label->isVisible());
    EXPECT_FALSE(dialog.Recent_List->isVisible());
    QTest::keyClicks(dialog.Search_Edit, "STERLING va");
    EXPECT_EQ(dialog.Count_Label->text().toStdString(), "1 station");
    int widest = 0;
    for (const sounding::TStation& s : Opener().Stations())
        widest = std::max(widest, dialog.Station_Table->fontMetrics().horizontalAdvance(QString::fromStdString(s.Id)));
    EXPECT_GT(dialog.Station_Table->columnWidth(0), widest + 8);
}

TEST_F(StationWindow, CancelLeavesNothingBehind)
{
    server.Answer = [](QTcpSocket& S, const TSeen&) {
        TLocalHttpServer::Trickle(S, Station(), 16384, 10, Station().size());
    };
    form->Extras->StationAction->trigger();
    app::TStationDialog& dialog = *Opener().Dialog();
    dialog.WholeRecord_Radio->setChecked(true);
    QTest::keyClicks(dialog.Search_Edit, "72403");
    QTest::keyClick(dialog.Search_Edit, Qt::Key_Return);
    for (int i = 0; i < 500 && prompts.Transfers.empty(); ++i) QTest::qWait(5);
    QTest::qWait(100);
    ASSERT_NE(prompts.Transfer, nullptr);
    prompts.Transfer->OnCancel();
    for (int i = 0; i < 500 && Opener().Downloading(); ++i) QTest::qWait(10);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_TRUE(
        QDir(QString::fromStdString(Path("cache/profilora/igra"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(Caption(), "Profilora");
}

}  // namespace

std::string SizeText(std::size_t Bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(Bytes) / 1e6);
    return text;
}

// A station shown for one year asks once whether to download its whole record
// for a climatology; the answer is kept, and only "yes" downloads.
TEST_F(StationWindow, ClimatologyOfAShortRecordAsksOnceForTheWholeRecord)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        std::filesystem::remove_all(Path("cache"));
        std::filesystem::remove_all(Path("config"));
        OpenByTyping("sterling");
        prompts.Boxes.clear();
        const std::size_t before = server.Requests.size();
        prompts.Answers.push_back(yes ? platform::MsgResult::Yes : platform::MsgResult::No);
        form->Extras->ClimateAction->trigger();
        app::TClimateSource& source = form->Extras->Climate();
        for (int i = 0; i < 500 && source.Downloading(); ++i) QTest::qWait(10);
        ASSERT_EQ(prompts.Boxes.size(), 1u);
        EXPECT_EQ(prompts.Boxes[0].Text, "A climatology of USM00072403 needs its whole record: download it (about " +
                                             SizeText(Station().size()) + " MB)?");
        source.Wait();
        const std::string por = Path("cache/profilora/igra/USM00072403-data.txt.zip");
        EXPECT_EQ(std::filesystem::exists(por), yes);
        EXPECT_EQ(server.Requests.size(), before + (yes ? 2 : 1));
        EXPECT_EQ(source.Climatology() != nullptr, yes) << source.Status();
        // Asked for again, in another way: the kept answer stands.
        form->Extras->ShowClimateAction->setChecked(!form->Extras->ShowClimateAction->isChecked());
        form->Extras->ShowClimateAction->setChecked(!form->Extras->ShowClimateAction->isChecked());
        form->Extras->ClimateAction->trigger();
        for (int i = 0; i < 500 && source.Downloading(); ++i) QTest::qWait(10);
        EXPECT_EQ(prompts.Boxes.size(), 1u);
        EXPECT_EQ(server.Requests.size(), before + (yes ? 2 : 1));
    }
}
