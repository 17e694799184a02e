// The window with the files people download: an IGRA v2 station archive and
// Wyoming pages, several files as one movie (dialog, drop, catalogue
// wildcard), the "Date Range..." command and a catalogue entry's range.
#include "ExtrasSupport.h"

#include "components/jtControls.h"
#include "sounding/SoundingSources.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <filesystem>
#include <future>
#include <stdexcept>

using namespace extras_test;

namespace {

const std::string kData = PROFILORA_DATA_DIR;
const char kIgra[] = "USM00072403-data-beg2016.txt.zip";

std::string Month(int M)
{
    return std::string("wyoming_94610_2016_") + (M < 10 ? "0" : "") + std::to_string(M) + ".html";
}

class SourcesWindow : public ExtrasTest {
protected:
    void SetUp() override
    {
        ExtrasTest::SetUp();
        MakeForm();
    }
    // A copy of a file of data/ in the program's folder; its full path.
    std::string Copy(const std::string& Name, const std::string& As = "")
    {
        const std::string to = Path(As.empty() ? Name : As);
        std::filesystem::copy_file(kData + "/" + Name, to, std::filesystem::copy_options::overwrite_existing);
        return to;
    }
    std::string Title(int I) const { return form->LapseRates->Soundings[std::size_t(I)].Title; }
    std::string Caption() const { return form->windowTitle().toStdString(); }
};

TEST_F(SourcesWindow, igraArchive_playsFromReadFileWithItsLaunchTitles)
{
    const std::string zip = Copy(kIgra);
    form->jtFile_IO1Open(form->jtFile_IO1, zip);
    ASSERT_EQ(form->LapseRates->Count(), 662);
    EXPECT_EQ(form->TrackBar1->Max(), 661);
    EXPECT_EQ(Title(0), "72403 2016-01-01 00Z");
    EXPECT_EQ(Title(661), "72403 2016-11-17 12Z");
    EXPECT_EQ(Caption(), "Profilora - " + zip);
    EXPECT_TRUE(form->Animate_CheckBox->isChecked());
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(SourcesWindow, severalFilesFromTheDialog_playAsOneTimeLine)
{
    std::vector<std::string> files;
    std::size_t expected = 0;
    for (int m : {3, 1, 2}) {  // chosen out of order
        files.push_back(Copy(Month(m)));
        expected += ReadSoundingFile(files.back()).Soundings.size();
    }
    prompts.OpenManyAnswers.push_back(files);
    form->Button2->click();
    ASSERT_EQ(prompts.OpenDialogs.size(), 1u);
    EXPECT_EQ(prompts.OpenDialogs[0].Filter,
              "Upper-air data (*.html *.txt *.gz *.zip)|*.html;*.txt;*.gz;*.zip|Soundings (*.html)|*.html|"
              "All files (*.*)|*.*");
    ASSERT_EQ(std::size_t(form->LapseRates->Count()), expected);
    EXPECT_EQ(form->TrackBar1->Max(), int(expected) - 1);
    EXPECT_EQ(Title(0), "94610 2016-01-01 00Z");
    EXPECT_EQ(Title(int(expected) - 1).substr(0, 16), "94610 2016-03-31");
    EXPECT_EQ(Caption(), "Profilora - wyoming_94610_2016_03.html + 2 more");
}

TEST_F(SourcesWindow, droppedSet_isMergedAndDuplicatesKeptOnce)
{
    const std::string jan = Copy(Month(1));
    const std::string feb = Copy(Month(2));
    const std::string again = Copy(Month(1), "january again.html");
    const std::size_t expected = ReadSoundingFile(jan).Soundings.size() + ReadSoundingFile(feb).Soundings.size();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(feb)), QUrl::fromLocalFile(QString::fromStdString(jan)),
                  QUrl::fromLocalFile(QString::fromStdString(again))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    QCoreApplication::processEvents();
    ASSERT_EQ(std::size_t(form->LapseRates->Count()), expected);
    EXPECT_EQ(Title(0), "94610 2016-01-01 00Z");
    EXPECT_EQ(Caption(), "Profilora - wyoming_94610_2016_02.html + 2 more");
}

// Files named on the command line before the first switch play as one.
TEST_F(SourcesWindow, severalCommandLineFiles_playAsOne)
{
    const std::string jan = Copy(Month(1));
    const std::string feb = Copy(Month(2));
    system.Args = {feb, jan, "/ini", Path("profilora.ini")};
    MakeForm();
    EXPECT_EQ(std::size_t(form->LapseRates->Count()),
              ReadSoundingFile(jan).Soundings.size() + ReadSoundingFile(feb).Soundings.size());
    EXPECT_EQ(Title(0), "94610 2016-01-01 00Z");
    EXPECT_EQ(Caption(), "Profilora - wyoming_94610_2016_02.html + 1 more");
}

// Unknown content gives the page's "Bad data file" box, a file that cannot
// be read a message naming it; either way the window keeps what it shows.
TEST_F(SourcesWindow, badFileInASet_keepsTheSoundingsOnShow)
{
    Load("a.html", MakePage(3));
    const std::string shown = Caption();
    const std::string jan = Copy(Month(1));
    Write("notes.txt", "no soundings here\n");
    std::string zip = Read(kData + "/" + kIgra);
    zip.resize(zip.size() / 2);
    Write("cut.zip", zip);
    struct Case {
        std::string File;
        std::string Box;
    };
    const Case cases[] = {
        {Path("notes.txt"), "File is missing data"},
        {Path("cut.zip"), "Cannot read cut.zip: "},
    };
    for (const Case& c : cases) {
        prompts.Boxes.clear();
        form->Open_Files({jan, c.File});
        ASSERT_EQ(prompts.Boxes.size(), 1u) << c.File;
        EXPECT_EQ(prompts.Boxes[0].Text.rfind(c.Box, 0), 0u) << prompts.Boxes[0].Text;
        EXPECT_EQ(form->LapseRates->Count(), 3) << c.File;
        EXPECT_EQ(Caption(), shown);
    }
}

TEST_F(SourcesWindow, dateRange_narrowsTheMovieAndClearingBringsBackTheWholeFile)
{
    form->jtFile_IO1Open(form->jtFile_IO1, Copy(kIgra));
    ASSERT_EQ(form->LapseRates->Count(), 662);
    form->Animate_CheckBox->setChecked(false);
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2016-06-01", "2016-06-30"});
    form->DateRange_Action->trigger();
    ASSERT_EQ(prompts.DateRangeDialogs.size(), 1u);
    const int june = form->LapseRates->Count();
    ASSERT_GT(june, 40);
    ASSERT_LT(june, 70);
    EXPECT_EQ(form->TrackBar1->Max(), june - 1);
    for (int i = 0; i < june; ++i) EXPECT_EQ(Title(i).substr(6, 7), "2016-06") << Title(i);
    EXPECT_EQ(Caption(), "Profilora - " + Path(kIgra) + " (2016-06-01..2016-06-30)");
    // Prev from the first frame wraps to the last June launch.
    form->Prev_UIButtonClick(form->Prev_UIButton);
    EXPECT_EQ(form->TrackBar1->Position(), june - 1);
    EXPECT_EQ(form->StatusBar1->SimpleText().substr(6, 10), "2016-06-30");

    // A bad date, an impossible range and a range without launches are told
    // while the dialog stays open with the dates typed; Cancel changes nothing.
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2016-13-01", ""});
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2016-07-01", "2016-06-01"});
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2017-01-01", ""});
    form->DateRange_Action->trigger();
    ASSERT_EQ(prompts.DateRangeDialogs.size(), 5u);
    EXPECT_EQ(prompts.DateRangeDialogs[1], (std::pair<std::string, std::string>{"2016-06-01", "2016-06-30"}));
    EXPECT_EQ(prompts.DateRangeDialogs[2], (std::pair<std::string, std::string>{"2016-13-01", ""}));
    EXPECT_EQ(prompts.DateRangeDialogs[3], (std::pair<std::string, std::string>{"2016-07-01", "2016-06-01"}));
    EXPECT_EQ(prompts.DateRangeDialogs[4], (std::pair<std::string, std::string>{"2017-01-01", ""}));
    ASSERT_EQ(prompts.Boxes.size(), 3u);
    EXPECT_NE(prompts.Boxes[0].Text.find("\"2016-13-01\" is not a date YYYY-MM-DD"), std::string::npos);
    EXPECT_NE(prompts.Boxes[1].Text.find("after it ends"), std::string::npos);
    EXPECT_NE(prompts.Boxes[2].Text.find("no soundings"), std::string::npos);
    EXPECT_EQ(prompts.Boxes[2].Icon, platform::MsgIcon::Error);
    EXPECT_EQ(form->LapseRates->Count(), june);

    // A new range is taken from the whole file, not from the narrowed one.
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"2016-11-01", ""});
    form->DateRange_Action->trigger();
    EXPECT_EQ(Title(0).substr(6, 7), "2016-11");
    // "Whole File" goes on at the launch on show.
    form->Next_UIButtonClick(form->Next_UIButton);
    form->Next_UIButtonClick(form->Next_UIButton);
    const std::string onShow = form->StatusBar1->SimpleText();
    ASSERT_EQ(onShow.substr(6, 7), "2016-11");
    prompts.DateRangeAnswers.push_back(std::pair<std::string, std::string>{"", ""});
    form->DateRange_Action->trigger();
    EXPECT_EQ(form->StatusBar1->SimpleText(), onShow);
    EXPECT_EQ(Title(form->TrackBar1->Position()), onShow);
    EXPECT_EQ(form->LapseRates->Count(), 662);
    EXPECT_EQ(form->TrackBar1->Max(), 661);
    EXPECT_EQ(Caption(), "Profilora - " + Path(kIgra));
}

TEST_F(SourcesWindow, catalogueEntry_withWildcardAndRange)
{
    Copy(Month(1), "w_01.html");
    Copy(Month(2), "w_02.html");
    Copy(Month(3), "x_03.html");
    Write("profilora.ini", "[soundings]\nw_*.html=2016-01-31..2016-02-01\nw_0?.html=\nw_0*.html=2019-01-01..\n");
    MakeForm();
    ASSERT_EQ(form->Name_UIComboBox->count(), 3);
    form->Name_UIComboBox->setCurrentIndex(0);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    ASSERT_EQ(form->LapseRates->Count(), 4);
    EXPECT_EQ(Title(0), "94610 2016-01-31 00Z");
    EXPECT_EQ(Title(3), "94610 2016-02-01 12Z");
    EXPECT_EQ(Caption(), "Profilora - w_*.html (2016-01-31..2016-02-01)");
    form->Name_UIComboBox->setCurrentIndex(1);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    EXPECT_EQ(std::size_t(form->LapseRates->Count()), ReadSoundingFile(Path("w_01.html")).Soundings.size() +
                                                          ReadSoundingFile(Path("w_02.html")).Soundings.size());
    EXPECT_EQ(Caption(), "Profilora - w_0?.html");
    EXPECT_TRUE(prompts.Boxes.empty());
    // A range without launches is told; the movie on show stays.
    const int shown = form->LapseRates->Count();
    form->Name_UIComboBox->setCurrentIndex(2);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "There are no soundings from 2019-01-01 to the last in w_0*.html");
    EXPECT_EQ(form->LapseRates->Count(), shown);
    EXPECT_EQ(Caption(), "Profilora - w_0?.html");
}

// A second catalogue pick that arrives while the first page loads is what
// the window shows and its caption names.
TEST_F(SourcesWindow, secondPickDuringALoad_isWhatTheCaptionNames)
{
    Write("long.html", MakePage(40));
    Write("short.html", MakePage(4));
    Write("profilora.ini", "[soundings]\nlong.html=\nshort.html=\n");
    MakeForm();
    ASSERT_EQ(form->Name_UIComboBox->count(), 2);
    bool picked = false;
    form->LapseRates->ProcessMessages = [&] {
        if (picked) return;
        picked = true;
        form->Name_UIComboBox->setCurrentIndex(1);
        form->Name_UIComboBoxChange(form->Name_UIComboBox);
    };
    form->Name_UIComboBox->setCurrentIndex(0);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    ASSERT_TRUE(picked);
    EXPECT_EQ(form->LapseRates->Count(), 4);
    EXPECT_EQ(Caption(), "Profilora - short.html");
    EXPECT_EQ(form->TrackBar1->Max(), 3);
}

// Catalogue entries with an absolute path are listed and open; a file named
// as an archive that is none is told as an archive fault, with an icon.
TEST_F(SourcesWindow, catalogueAbsoluteEntryAndAFalseArchive)
{
    const std::string zip = Copy(kIgra, "abs.zip");
    Write("junk.zip", "these bytes are no zip archive\n");
    Write("profilora.ini", "[soundings]\n" + zip + "=2016-06-01..2016-06-02\nPerth.html=\n" + Path("junk.zip") + "=\n");
    MakeForm();
    ASSERT_EQ(form->Name_UIComboBox->count(), 3);
    EXPECT_EQ(form->Name_UIComboBox->itemText(0).toStdString(), zip);
    form->Name_UIComboBox->setCurrentIndex(0);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    ASSERT_EQ(form->LapseRates->Count(), 4);
    EXPECT_EQ(Caption(), "Profilora - " + zip + " (2016-06-01..2016-06-02)");
    form->Name_UIComboBox->setCurrentIndex(2);
    form->Name_UIComboBoxChange(form->Name_UIComboBox);
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "Cannot read junk.zip: the file is not a zip archive");
    EXPECT_EQ(prompts.Boxes[0].Icon, platform::MsgIcon::Error);
    EXPECT_EQ(form->LapseRates->Count(), 4);
    // Among several files too.
    form->Open_Files({Copy(Month(1)), Path("junk.zip")});
    ASSERT_EQ(prompts.Boxes.size(), 2u);
    EXPECT_EQ(prompts.Boxes[1].Text, prompts.Boxes[0].Text);
    EXPECT_EQ(form->LapseRates->Count(), 4);
}

}  // namespace

// Station files are read on a thread of their own: a Cancel, a file the
// system cannot map and an error on that thread each leave the set on show.
namespace {

// The real file system, whose mapping of one file waits until the test lets
// it go: a read that lasts until the user has cancelled it.
class HeldFiles : public platform::LocalFileSystem {
public:
    std::string Held;
    std::promise<void> Release;

    std::unique_ptr<platform::Mapping> MapFile(const std::string& Path, platform::FileError& Error) override
    {
        if (Path == Held) go_.wait();
        return LocalFileSystem::MapFile(Path, Error);
    }

private:
    std::shared_future<void> go_ = Release.get_future().share();
};

}  // namespace

TEST_F(SourcesWindow, cancelledRead_keepsTheSetOnShowAndTellsNothing)
{
    Load("a.html", MakePage(3));
    const std::string shown = Caption();
    HeldFiles files;
    files.Held = Copy(Month(1));
    guard.reset();
    guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, &files);
    form->StationReads.ProgressDelayMs = 0;
    prompts.CancelProgressAt = 1;
    form->Open_Files({files.Held, Copy(Month(2))});
    files.Release.set_value();
    EXPECT_EQ(form->LapseRates->Count(), 3);
    EXPECT_EQ(Caption(), shown);
    EXPECT_TRUE(prompts.Boxes.empty());
    ASSERT_EQ(prompts.Progresses.size(), 1u);
    EXPECT_TRUE(prompts.Progresses[0].Closed);
    form.reset();  // waits for the cancelled read
    guard.reset();
    guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, nullptr);
}

TEST_F(SourcesWindow, fileTheSystemCannotMap_isToldAsAReadErrorAndKeepsTheSet)
{
    Load("a.html", MakePage(3));
    platform::FaultyFileSystem faulty;
    faulty.FailMap = true;
    guard.reset();
    guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, &faulty);
    form->Open_Files({Copy(Month(1)), Copy(Month(2))});
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "Cannot read " + Month(1) + ": The file cannot be read (Input/output error)");
    EXPECT_EQ(form->LapseRates->Count(), 3);
    guard.reset();
    guard = std::make_unique<platform::ScopedPlatform>(&prompts, &system, nullptr);
}

TEST(OffThread, whatTheWorkThrowsIsThrownToTheCaller)
{
    app::TOffThread reads;
    EXPECT_THROW(reads.Run<int>("x", []() -> int { throw std::runtime_error("no memory"); }), std::runtime_error);
    EXPECT_EQ(reads.Run<int>("x", [] { return 7; }), 7);
}
