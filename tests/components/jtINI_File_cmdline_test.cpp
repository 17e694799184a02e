// The settings component's command line: switches from the argument list,
// the settings file name, the help box, and switches mapped to keys.
#include "support/ProgramDir.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string kHelp =
    "Command line options:\r\n   /ini filename\t- Specifies the ini file to use\r\n   /?           \t- Gets this help\r\n";

class IniCmdLineTest : public ProgramDirTest {
protected:
    std::unique_ptr<TjtINI_File> Make(std::vector<std::string> args, const std::vector<std::string>& defaults = {})
    {
        sys.Args = std::move(args);
        auto ini = std::make_unique<TjtINI_File>(nullptr);
        ini->SetINI_Default(defaults);
        ini->OnReadComplete = [this](QObject*) { ++completes; };
        return ini;
    }

    int completes = 0;
};

// ---------------------------------------------------------------- switches

struct SwitchCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> values;  // CmdLineValues
    bool help;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.name; }

class IniSwitches : public IniCmdLineTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(IniSwitches, buildsValuesFromTheArgumentList)
{
    auto ini = Make(GetParam().args);
    ini->SetCmdLineParms("/ini;/t");
    ini->ParseCommandLine();
    EXPECT_EQ(ini->CmdLineValues(), GetParam().values);
    EXPECT_EQ(prompts.Boxes.size(), GetParam().help ? 1u : 0u);
    EXPECT_EQ(sys.TerminateRequests, GetParam().help ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniSwitches,
    ::testing::Values(
        SwitchCase{"slashAndBlank", {"/ini", "my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"slashAndEquals", {"/ini=my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"valueInsideArgumentTakesNoMore", {"/ini=my.ini", "page.html"}, {"INI=my.ini"}, false},
        SwitchCase{"equalsBetweenBlanks", {"/ini", "=", "my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"equalsBeforeValue", {"/ini", "=my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"doubleDash", {"--ini", "/home/me/my.ini"}, {"INI=/home/me/my.ini"}, false},
        SwitchCase{"singleDash", {"-ini", "my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"switchAndValueInOneArgument", {"/ini my.ini"}, {"INI=my.ini"}, false},
        SwitchCase{"quotedValueLosesQuotes", {"/ini", "\"my  file.ini\""}, {"INI=my  file.ini"}, false},
        SwitchCase{"doubledQuoteBecomesOne", {"/ini=\"a \"\"b\"\" c\""}, {"INI=a \"b\" c"}, false},
        SwitchCase{"followingArgumentsJoinedByOneBlank", {"/ini", "my", "file.ini"}, {"INI=my file.ini"}, false},
        SwitchCase{"noValue", {"/ini"}, {"INI=NullValue_xx"}, false},
        SwitchCase{"emptyValueAfterEquals", {"/ini="}, {"INI="}, false},
        SwitchCase{"nameUpperCased", {"/Ini", "a", "/T", "b"}, {"INI=a", "T=b"}, false},
        SwitchCase{"negativeNumberIsAValue", {"/t", "-5"}, {"T=-5"}, false},
        SwitchCase{"pointNumberIsAValue", {"/t", "-.5"}, {"T=-.5"}, false},
        SwitchCase{"valueWithSlashStaysWhole", {"/ini", "dir/my.ini"}, {"INI=dir/my.ini"}, false},
        SwitchCase{"argumentsBeforeFirstSwitchBelongToTheProgram",
                   {"page.html", "/home/me/x.html", "-3", "/ini", "a.ini"}, {"INI=a.ini"}, false},
        SwitchCase{"onlyProgramArguments", {"Tucson 2006.html"}, {}, false},
        SwitchCase{"duplicateSwitchKeptInOrder", {"/ini", "a.ini", "/ini", "b.ini"}, {"INI=a.ini", "INI=b.ini"}, false},
        SwitchCase{"slashQuestionMark", {"/?"}, {"?=NullValue_xx"}, true},
        SwitchCase{"dashQuestionMark", {"-?"}, {"?=NullValue_xx"}, true},
        SwitchCase{"unknownSwitch", {"/ini", "a.ini", "/x"}, {"INI=a.ini", "X=NullValue_xx"}, true},
        SwitchCase{"unknownDoubleDashSwitch", {"--verbose"}, {"VERBOSE=NullValue_xx"}, true}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

TEST_F(IniCmdLineTest, iniSwitchSetsTheSettingsFile)
{
    struct Case {
        std::vector<std::string> args;
        std::string full;
    };
    for (const Case& c : {Case{{"/ini", "my.ini"}, Path("my.ini")},
                          Case{{"--ini", "/home/me/my.ini"}, "/home/me/my.ini"},
                          Case{{"/ini"}, Path("NullValue_xx")},
                          Case{{"/ini="}, Path("profilora.ini")},
                          Case{{"/ini", "a.ini", "/ini", "b.ini"}, Path("a.ini")}}) {
        SCOPED_TRACE(c.full);
        auto ini = Make(c.args);
        ini->ParseCommandLine();
        EXPECT_EQ(ini->FullFilename(), c.full);
    }
}

TEST_F(IniCmdLineTest, iniSwitchFileIsReadAtLoad)
{
    WriteFile("profilora.ini", "[S]\nk = program\n");
    WriteFile("mine.ini", "[S]\nk = mine\n");
    auto ini = Make({"/ini", "mine.ini"});
    ini->Loaded();
    EXPECT_EQ(ini->ReadString("S", "k"), "mine");
    EXPECT_EQ(completes, 1);
}

TEST_F(IniCmdLineTest, getCmdLineValue)
{
    auto ini = Make({"/ini", "a.ini", "/T", "20", "/ini", "b.ini"});
    ini->SetCmdLineParms("/ini;/t");
    ini->ParseCommandLine();
    EXPECT_EQ(ini->GetCmdLineValue("/ini"), "a.ini");
    EXPECT_EQ(ini->GetCmdLineValue("INI"), "a.ini");
    EXPECT_EQ(ini->GetCmdLineValue("t"), "20");
    EXPECT_EQ(ini->GetCmdLineValue("/missing"), "");
    EXPECT_EQ(ini->GetCmdLineValue(""), "");
}

TEST_F(IniCmdLineTest, switchesKnownAgainstParms)
{
    auto ini = Make({"/ini", "a", "/T", "1"});
    ini->ParseCommandLine();  // "/t" is not listed yet: help
    EXPECT_FALSE(ini->CmdLineSwitchesKnown());
    for (const char* parms : {"/ini;/t", "/T;/INI", "/t;/ini;"}) {
        ini->SetCmdLineParms(parms);
        EXPECT_TRUE(ini->CmdLineSwitchesKnown()) << parms;
    }
    for (const char* parms : {"/ini;/tt", "/ini", "ini;t", "/in;/t"}) {
        ini->SetCmdLineParms(parms);
        EXPECT_FALSE(ini->CmdLineSwitchesKnown()) << parms;
    }
}

TEST_F(IniCmdLineTest, ignoreCmdLineLooksAtNothing)
{
    auto ini = Make({"/?", "/ini", "x.ini"}, {"[S]", "k=1"});
    ini->SetIgnore_CmdLine(true);
    ini->Loaded();
    EXPECT_TRUE(ini->CmdLineValues().empty());
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(ini->FullFilename(), Path("profilora.ini"));
    EXPECT_EQ(completes, 1);
}

// ---------------------------------------------------------------- help

TEST_F(IniCmdLineTest, helpBoxStopsTheReadAndEndsTheProgram)
{
    WriteFile("profilora.ini", "[S]\nk = file\n");
    sys.Program = Path("PROFILORA.bin");
    auto ini = Make({"/?"}, {"[S]", "k = default"});
    ini->Loaded();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, kHelp);
    EXPECT_EQ(prompts.Boxes[0].Caption, "Profilora");
    EXPECT_EQ(prompts.Boxes[0].Buttons, platform::MsgButtons::OK);
    EXPECT_EQ(sys.TerminateRequests, 1);
    EXPECT_EQ(sys.Stdout,
              "Command line options:\n   /ini filename\t- Specifies the ini file to use\n   /?           \t- Gets this help\n");
    // The file is not read; the defaults are still announced.
    EXPECT_EQ(ini->ReadString("S", "k"), "default");
    EXPECT_EQ(completes, 1);
}

TEST_F(IniCmdLineTest, helpHandlerMayChangeOrEmptyTheText)
{
    WriteFile("profilora.ini", "[S]\nk = file\n");
    auto changed = Make({"/x"});
    changed->OnCmdLnHelp = [](std::string& S) { S = "Usage: profilora [page]\r\n"; };
    changed->Loaded();
    ASSERT_EQ(prompts.Boxes.size(), 1u);
    EXPECT_EQ(prompts.Boxes[0].Text, "Usage: profilora [page]\r\n");
    EXPECT_EQ(sys.Stdout, "Usage: profilora [page]\n");

    prompts.Boxes.clear();
    sys.TerminateRequests = 0;
    auto emptied = Make({"/?"});
    std::string offered;
    emptied->OnCmdLnHelp = [&](std::string& S) {
        offered = S;
        S.clear();
    };
    emptied->Loaded();
    EXPECT_EQ(offered, kHelp);
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(sys.TerminateRequests, 0);
    EXPECT_EQ(emptied->ReadString("S", "k"), "file");
}

TEST(IniProgramTitle, nameWithoutDirectoryAndExtensionLowerCasedAfterFirst)
{
    struct Case {
        const char* path;
        const char* title;
    };
    for (const Case& c : {Case{"/opt/p/profilora", "profilora"}, Case{"/x/PROFILORA.bin.old", "Profilora"},
                          Case{"MyProg", "Myprog"}, Case{"/a.b/c", "c"}, Case{"", ""}})
        EXPECT_EQ(TjtINI_File::ProgramTitle(c.path), c.title) << c.path;
}

// ---------------------------------------------------------------- map

TEST_F(IniCmdLineTest, mappedSwitchOutranksTextsAndIsNeverSaved)
{
    WriteFile("profilora.ini", "[Temperature]\r\nmax = 40\r\n");
    auto ini = Make({"/t", "20"}, {"[Temperature]", "max = 30"});
    ini->SetCmdLineParms("/ini;/t");
    ini->SetCmdLineMap({" /t = Temperature ; max "});
    ini->Loaded();
    EXPECT_EQ(ini->ReadInteger("temperature", "MAX"), 20);
    EXPECT_FALSE(ini->Modified());
    const T_jt_ini_Record* r = ini->FindRecord("Temperature", "max");
    EXPECT_EQ(r->CmdLineValue, "20");
    EXPECT_EQ(r->LoadedValue, "40");
    EXPECT_EQ(r->DefaultValue, "");  // the record came from the command line first
    ini->FileSave();
    std::ifstream in(Path("profilora.ini"), std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "[Temperature]\r\nmax = 40\r\n");
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(IniCmdLineTest, mappedSwitchWithoutValueReadsPlaceholder)
{
    auto ini = Make({"/t"});
    ini->SetCmdLineParms("/ini;/t");
    ini->SetCmdLineMap({"/t=Temperature;max"});
    ini->Loaded();
    EXPECT_EQ(ini->ReadString("Temperature", "max"), "NullValue_xx");
    EXPECT_DOUBLE_EQ(double(ini->ReadFloat("Temperature", "max")), 0.0);
}

TEST_F(IniCmdLineTest, mappedSwitchNotGivenCreatesNothing)
{
    auto ini = Make({"/ini", "a.ini"});
    ini->SetCmdLineMap({"/t = Temperature ; max", "", "   "});
    ini->Loaded();
    EXPECT_EQ(ini->Sections.Count(), 0);
    EXPECT_TRUE(prompts.Boxes.empty());
}

TEST_F(IniCmdLineTest, malformedMapLinesEachBringUpABoxAndTheRestGoesOn)
{
    auto ini = Make({"/t", "5", "/u", "6"});
    ini->SetCmdLineParms("/t;/u");
    ini->SetCmdLineMap({"/t Temperature ; max", " /u = Temperature min", "= S ; k", "/u = ; k", "/u = S ;",
                        "/u = Wind ; speed"});
    ini->Loaded();
    std::vector<std::string> texts;
    for (const auto& box : prompts.Boxes) {
        EXPECT_EQ(box.Caption, "Command Line Map Error");
        EXPECT_EQ(box.Buttons, platform::MsgButtons::OK);
        texts.push_back(box.Text);
    }
    const std::string head = "The following is not a valid CmdLineMap string\r\n\r\n";
    EXPECT_EQ(texts, (std::vector<std::string>{head + "/t Temperature ; max", head + " /u = Temperature min",
                                               head + "= S ; k", head + "/u = ; k", head + "/u = S ;"}));
    EXPECT_EQ(ini->ReadString("Wind", "speed"), "6");
    EXPECT_EQ(sys.TerminateRequests, 0);
}

TEST_F(IniCmdLineTest, mapEventRaisedOnceAfterTheMap)
{
    auto ini = Make({"/t", "5"});
    ini->SetCmdLineParms("/t");
    ini->SetCmdLineMap({"/t = S ; k"});
    int calls = 0;
    ini->OnMapCmdLine = [&](QObject* Sender) {
        ++calls;
        EXPECT_EQ(Sender, ini.get());
        EXPECT_EQ(ini->FindRecord("S", "k")->Value, "5");
    };
    ini->Loaded();
    EXPECT_EQ(calls, 1);
}

TEST_F(IniCmdLineTest, setCmdLineValueLeavesModifiedAlone)
{
    auto ini = Make({});
    ini->SetModified(false);
    ini->SetCmdLineValue("S", "k", "v");
    const T_jt_ini_Record* r = ini->FindRecord("S", "k");
    EXPECT_EQ(r->Value, "v");
    EXPECT_EQ(r->CmdLineValue, "v");
    EXPECT_FALSE(ini->Modified());
    ini->SetModified(true);
    ini->SetCmdLineValue("S", "k", "w");
    EXPECT_TRUE(ini->Modified());
}

}  // namespace
