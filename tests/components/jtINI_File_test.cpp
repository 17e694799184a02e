// The settings component: construction, the after-load order with exactly
// one read-complete event, and the typed reads and writes.
#include "support/ProgramDir.h"
#include "components/jtINI_File.h"
#include "platform/Fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <memory>

namespace {

class IniFileTest : public ProgramDirTest {
protected:
    // A component as the window creates it: properties, then the after-load hook.
    std::unique_ptr<TjtINI_File> Make(const std::vector<std::string>& defaults = {})
    {
        auto ini = std::make_unique<TjtINI_File>(nullptr);
        ini->SetINI_Default(defaults);
        ini->OnReadComplete = [this](QObject*) { ++completes; };
        return ini;
    }

    int completes = 0;
};

// ---------------------------------------------------------------- construction

TEST_F(IniFileTest, constructorDefaults)
{
    TjtINI_File ini(nullptr);
    EXPECT_EQ(ini.Filename(), "profilora.ini");
    EXPECT_EQ(ini.FullFilename(), Path("profilora.ini"));
    EXPECT_TRUE(ini.OpenOnLoad());
    EXPECT_TRUE(ini.IgnoreNotFound());
    EXPECT_FALSE(ini.WindowsCompatible());
    EXPECT_FALSE(ini.Ignore_CmdLine());
    EXPECT_FALSE(ini.AutoOpenDialog());
    EXPECT_FALSE(ini.MakeBackup());
    EXPECT_FALSE(ini.LoadingDefaults);
    EXPECT_EQ(ini.WriteMode(), jtWM_Update);
    EXPECT_EQ(ini.Filter(), "*.ini|*.ini");
    EXPECT_EQ(ini.CmdLineParms(), "/ini");
    EXPECT_TRUE(ini.INI_Default().empty());
    EXPECT_TRUE(ini.CmdLineMap().empty());
    EXPECT_EQ(ini.CmdLineHelp(),
              (std::vector<std::string>{"Command line options:", "   /ini filename\t- Specifies the ini file to use",
                                        "   /?" + std::string(11, ' ') + "\t- Gets this help"}));
    EXPECT_TRUE(bool(ini.OnRead));
    EXPECT_TRUE(bool(ini.OnSave));
    EXPECT_EQ(sizeof(TjtINI_File_WriteMode), 1u);
    EXPECT_EQ(int(jtWM_AddSection), 2);
}

TEST_F(IniFileTest, settingsFileNameFollowsTheProgramFile)
{
    struct Case {
        std::string program;
        std::optional<std::string> stored;
        std::string full;
    };
    for (const Case& c : {Case{"/opt/p/profilora", std::nullopt, "/opt/p/profilora.ini"},
                          Case{"/opt/p/prof.bin", std::nullopt, "/opt/p/prof.ini"},
                          Case{"/opt/p/a.b.c", std::nullopt, "/opt/p/a.b.ini"},
                          Case{"/usr/bin/prof", std::string("/opt/real/Profilora"), "/opt/real/Profilora.ini"}}) {
        SCOPED_TRACE(c.program);
        sys.Program = c.program;
        sys.LongName = c.stored;
        TjtINI_File ini(nullptr);
        EXPECT_EQ(ini.FullFilename(), c.full);
    }
}

// ---------------------------------------------------------------- after load

TEST_F(IniFileTest, defaultsWithoutFileAnnouncedOnce)
{
    auto ini = Make({"[Axis]", "max = 30", "min = -40"});
    ini->SetModified(true);
    ini->Loaded();
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(ini->ReadString("axis", "MAX"), "30");
    EXPECT_FALSE(ini->Modified());
    EXPECT_FALSE(ini->OpenOnLoad());
    EXPECT_FALSE(ini->LoadingDefaults);
}

TEST_F(IniFileTest, fileMergedOverDefaultsBeforeTheOneAnnouncement)
{
    WriteFile("profilora.ini", "[Axis]\r\nmax = 50\r\nextra = 1\r\n");
    auto ini = Make({"[Axis]", "max = 30", "min = -40"});
    std::string seen;
    ini->OnReadComplete = [&](QObject* Sender) {
        ++completes;
        EXPECT_EQ(Sender, ini.get());
        seen = ini->ReadString("Axis", "max") + "/" + ini->ReadString("Axis", "min") + "/" +
               ini->ReadString("Axis", "extra");
    };
    ini->Loaded();
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(seen, "50/-40/1");
    const T_jt_ini_Record* max = ini->FindRecord("Axis", "max");
    EXPECT_EQ(max->DefaultValue, "30");
    EXPECT_EQ(max->LoadedValue, "50");
    EXPECT_EQ(ini->FindRecord("Axis", "extra")->DefaultValue, "");
}

TEST_F(IniFileTest, readCompleteCountByDefaultsAndFile)
{
    struct Case {
        const char* name;
        bool defaults;
        bool file;
        int expected;
    };
    for (const Case& c : {Case{"neither", false, false, 0}, Case{"fileOnly", false, true, 1},
                          Case{"defaultsOnly", true, false, 1}, Case{"both", true, true, 1}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(QString::fromStdString(Path("profilora.ini")));
        if (c.file) WriteFile("profilora.ini", "[S]\nk=1\n");
        completes = 0;
        auto ini = Make(c.defaults ? std::vector<std::string>{"[S]", "d=2"} : std::vector<std::string>{});
        ini->Loaded();
        EXPECT_EQ(completes, c.expected);
        EXPECT_EQ(ini->FindRecord("S", "k") != nullptr, c.file);
    }
}

TEST_F(IniFileTest, missingFileWithoutIgnoreNotFoundIsReported)
{
    auto ini = Make({"[S]", "d=2"});
    ini->SetIgnoreNotFound(false);
    EXPECT_THROW(ini->Loaded(), EFOpenError);
    EXPECT_EQ(completes, 0);

    // Taken by the error event: the defaults are still announced, once.
    auto quiet = Make({"[S]", "d=2"});
    quiet->SetIgnoreNotFound(false);
    std::string reported;
    quiet->OnReadError = [&](QObject*, std::string AFilename, Exception& E) {
        reported = AFilename + "|" + E.Message();
        return true;
    };
    quiet->Loaded();
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(reported, Path("profilora.ini") + "|File not found\n\n        " + Path("profilora.ini"));
    EXPECT_EQ(quiet->ReadString("S", "d"), "2");
}

TEST_F(IniFileTest, unreadableFileTakenByErrorEventLeavesDefaultsAnnounced)
{
    // A pipe in place of the file: it exists but is no file to read.
    ASSERT_EQ(::mkfifo(Path("profilora.ini").c_str(), 0600), 0);
    auto ini = Make({"[S]", "d=2"});
    int errors = 0;
    ini->OnReadError = [&](QObject*, std::string, Exception& E) {
        EXPECT_STREQ(E.ClassName(), "EInOutError");
        return ++errors, true;
    };
    ini->Loaded();
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(ini->ReadString("S", "d"), "2");
}

TEST_F(IniFileTest, readingAgainMergesAndAnnouncesEachRead)
{
    WriteFile("profilora.ini", "[S]\nk=1\n");
    auto ini = Make();
    ini->Loaded();
    WriteFile("other.ini", "[S]\nk=2\nj=3\n");
    ini->OpenFile(Path("other.ini"));
    EXPECT_EQ(completes, 2);
    EXPECT_EQ(ini->ReadString("S", "k"), "2");
    EXPECT_EQ(ini->ReadString("S", "j"), "3");
}

// ---------------------------------------------------------------- typed reads

TEST_F(IniFileTest, readStringOfAbsentKeyCreatesIt)
{
    TjtINI_File ini(nullptr);
    EXPECT_EQ(ini.ReadString("New", "key"), "");
    std::vector<std::string> keys{"stale"};
    ini.ReadSection("new", keys);
    EXPECT_EQ(keys, std::vector<std::string>{"key"});
    EXPECT_FALSE(ini.Modified());
}

TEST_F(IniFileTest, readStringWithDefaultStoresTheFirstDefault)
{
    TjtINI_File ini(nullptr);
    EXPECT_EQ(ini.ReadString("S", "k", "first"), "first");
    EXPECT_EQ(ini.ReadString("S", "k", "second"), "first");
    const T_jt_ini_Record* r = ini.FindRecord("S", "k");
    EXPECT_EQ(r->DefaultValue, "second");
    EXPECT_EQ(r->Value, "first");
    EXPECT_FALSE(ini.Modified());
}

struct NumberCase {
    const char* text;
    char separator;
    std::int32_t asInteger;
    long double asFloat;
};

class IniNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(IniNumbers, readIntegerAndReadFloatConvertTheText)
{
    const NumberCase& c = GetParam();
    platform::FakeSystem sys;
    sys.Separator = c.separator;
    platform::ScopedPlatform guard(nullptr, &sys, nullptr);
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"[S]", std::string("k = ") + c.text});
    EXPECT_EQ(ini.ReadInteger("S", "k"), c.asInteger);
    EXPECT_EQ(ini.ReadInteger("S", "k", 77), c.asInteger);
    // Exactly the extended value, not a double rounded to it.
    EXPECT_EQ(ini.ReadFloat("S", "k"), c.asFloat);
    EXPECT_EQ(ini.ReadFloat("S", "k", 7.5), c.asFloat);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniNumbers,
    ::testing::Values(NumberCase{"15", '.', 15, 15}, NumberCase{"2.9", '.', 2, 2.9L}, NumberCase{"-2.9", '.', -2, -2.9L},
                      NumberCase{"3.9", '.', 3, 3.9L}, NumberCase{"-2.5", '.', -2, -2.5L},
                      NumberCase{"1e3", '.', 1000, 1000}, NumberCase{"$FF0000", '.', 0, 0},
                      NumberCase{"", '.', 0, 0}, NumberCase{"word", '.', 0, 0},
                      NumberCase{"3 ; note", '.', 0, 0}, NumberCase{"4294967297", '.', 1, 4294967297.0L},
                      NumberCase{"2147483648", '.', -2147483647 - 1, 2147483648.0L},
                      NumberCase{"2,9", ',', 2, 2.9L}, NumberCase{"-2,5", ',', -2, -2.5L},
                      NumberCase{"2.9", ',', 2, 2.9L}, NumberCase{"-1.5e1", ',', -15, -15},
                      NumberCase{"2,9", '.', 0, 0}, NumberCase{"2,9.1", ',', 0, 0}));

TEST_F(IniFileTest, readIntegerBeyondSixtyFourBitsFails)
{
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"[S]", "k = 1e30"});
    EXPECT_THROW(ini.ReadInteger("S", "k"), EInvalidOperation);
    EXPECT_DOUBLE_EQ(double(ini.ReadFloat("S", "k")), 1e30);
}

TEST_F(IniFileTest, readFloatKeepsExtendedPrecisionAndRange)
{
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"[S]", "tenth = 0.1", "huge = 1e400"});
    EXPECT_EQ(ini.ReadFloat("S", "tenth"), 0.1L);
    EXPECT_NE(ini.ReadFloat("S", "tenth"), static_cast<long double>(0.1));
    EXPECT_EQ(ini.ReadFloat("S", "huge"), 1e400L);
}

TEST_F(IniFileTest, numberDefaultsMatterOnlyForAbsentKeys)
{
    for (char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        sys.Separator = separator;
        TjtINI_File ini(nullptr);
        ini.ParseStrings({"[S]", "word = blue"});
        EXPECT_EQ(ini.ReadInteger("S", "absent", 5), 5);
        EXPECT_EQ(ini.ReadInteger("S", "negative", -7), -7);
        EXPECT_EQ(ini.ReadInteger("S", "word", 5), 0);
        EXPECT_DOUBLE_EQ(double(ini.ReadFloat("S", "f", 2.5)), 2.5);
        EXPECT_EQ(ini.FindRecord("S", "absent")->Value, "5");
        EXPECT_EQ(ini.FindRecord("S", "negative")->Value, "-7");
        EXPECT_EQ(ini.FindRecord("S", "f")->Value, separator == ',' ? "2,5" : "2.5");
        EXPECT_EQ(ini.FindRecord("S", "f")->DefaultValue, ini.FindRecord("S", "f")->Value);
    }
}

TEST_F(IniFileTest, readValueAtByPosition)
{
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"first = 1", "second = 2", "[B]", "b = 3", "[A]", "a = 4"});
    EXPECT_EQ(ini.ReadValueAt(0, 0), "1");
    EXPECT_EQ(ini.ReadValueAt(0, 1), "2");
    EXPECT_EQ(ini.ReadValueAt(1, 0), "4");  // index order: __StartOfFile, A, B
    EXPECT_EQ(ini.ReadValueAt(1, 5), "");
    ini.FindSection("b");
    EXPECT_EQ(ini.ReadValueAt(99, 0), "3");  // keeps the last lookup's records
    ini.FindSection("missing");
    EXPECT_EQ(ini.ReadValueAt(-1, 0), "");
}

TEST_F(IniFileTest, readSectionsListsIndexOrder)
{
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"[zeta]", "k=1", "[Alpha]", "k=1", "[1st]", "k=1", "[_x]", "k=1", "top=1"});
    std::vector<std::string> names{"stale"};
    ini.ReadSections(names);
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "1st", "Alpha", "zeta"}));
    ini.ParseStrings({"top=1"});
    ini.ReadSections(names);
    EXPECT_EQ(names.front(), "__StartOfFile");
}

TEST_F(IniFileTest, readSectionOfAbsentSectionCreatesNothing)
{
    TjtINI_File ini(nullptr);
    ini.ParseStrings({"[S]", "b=1", "A=2"});
    std::vector<std::string> keys{"stale"};
    ini.ReadSection("absent", keys);
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(ini.Sections.Count(), 1);
    ini.ReadString("S", "c");
    ini.ReadSection("s", keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"b", "A", "c"}));
}

// ---------------------------------------------------------------- typed writes

TEST_F(IniFileTest, writesStoreTheirTexts)
{
    for (char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        sys.Separator = separator;
        const std::string sep(1, separator);
        TjtINI_File ini(nullptr);
        ini.WriteInteger("S", "i", -42);
        ini.WriteFloat("S", "g", 0.1L);
        ini.WriteFloat("S", "big", 1e20L);
        ini.WriteFloat("S", "pi", 2, 3.14159);
        ini.WriteFloat("S", "whole", 0, 15.0L);
        ini.WriteFloat("S", "single", 2, 1.5f);
        const std::vector<std::pair<const char*, std::string>> expected{
            {"i", "-42"}, {"g", "0" + sep + "1"}, {"big", "1E20"}, {"pi", "3" + sep + "14"}, {"whole", "  15"},
            {"single", "1" + sep + "50"}};
        for (const auto& [key, text] : expected) EXPECT_EQ(ini.FindRecord("S", key)->Value, text) << key;
        // The blanks of the fixed form stay in the value; reading trims them.
        EXPECT_EQ(ini.ReadInteger("S", "whole"), 15);
    }
}

TEST_F(IniFileTest, modifiedAfterWrites)
{
    struct Case {
        const char* name;
        std::function<void(TjtINI_File&)> prepare;
        const char* value;
        bool modified;
    };
    const std::vector<Case> cases{
        {"newKey", [](TjtINI_File&) {}, "v", true},
        {"sameValue", [](TjtINI_File& i) { i.ParseStrings({"[S]", "k = v"}); }, "v", false},
        {"valueDiffersInCaseOnly", [](TjtINI_File& i) { i.ParseStrings({"[S]", "k = v"}); }, "V", true},
        {"loadedKeyChanged", [](TjtINI_File& i) { i.ParseStrings({"[S]", "k = v"}); }, "w", true},
        {"loadedKeySetBack",
         [](TjtINI_File& i) {
             i.ParseStrings({"[S]", "k = v"});
             i.FindRecord("S", "k")->Value = "changed";
         },
         "v", false},
        {"commandLineKey", [](TjtINI_File& i) { i.SetCmdLineValue("S", "k", "20"); }, "30", false},
        {"keyCreatedByRead", [](TjtINI_File& i) { i.ReadString("S", "k"); }, "new", true},
        {"keyCreatedByReadEmptied", [](TjtINI_File& i) { i.ReadString("S", "k", "d"); }, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TjtINI_File ini(nullptr);
        c.prepare(ini);
        ini.SetModified(false);
        ini.WriteString("s", "K", c.value);
        EXPECT_EQ(ini.Modified(), c.modified);
        EXPECT_EQ(ini.ReadString("S", "k"), c.value);
    }
}

TEST_F(IniFileTest, writesNeverTouchLoadedOrDefaultValues)
{
    TjtINI_File ini(nullptr);
    ini.LoadingDefaults = true;
    ini.ParseStrings({"[S]", "k = d"});
    ini.LoadingDefaults = false;
    ini.ParseStrings({"[S]", "k = f"});
    ini.WriteInteger("S", "k", 9);
    const T_jt_ini_Record* r = ini.FindRecord("S", "k");
    EXPECT_EQ(r->Value, "9");
    EXPECT_EQ(r->LoadedValue, "f");
    EXPECT_EQ(r->DefaultValue, "d");
}

}  // namespace
