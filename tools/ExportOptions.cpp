#include "tools/ExportOptions.h"

#include <string_view>

namespace {

struct FormatSwitch {
    std::string_view Name;
    ExportFormat Format;
};

constexpr FormatSwitch kFormats[] = {
    {"--csv", ExportFormat::Csv},
};

const FormatSwitch* FindFormat(std::string_view Name)
{
    for (const FormatSwitch& f : kFormats)
        if (f.Name == Name) return &f;
    return nullptr;
}

// "-" names standard output, as most tools read it.
std::string OutputPath(const std::string& Value) { return Value == "-" ? std::string() : Value; }

}  // namespace

std::string ExportUsage()
{
    return "Usage: profilora-export PAGE.html --csv [OUT.csv]\n"
           "\n"
           "Reads a sounding page and writes its soundings.\n"
           "  --csv [OUT.csv]  one CSV row per level (standard output without OUT.csv\n"
           "                   or with \"-\"); also --csv=OUT.csv\n"
           "  -h, --help       this text\n"
           "\n"
           "Exit status: 0 done, 1 failure (unreadable page, a value that is not a\n"
           "number, bad arguments, write error), 2 the page holds no sounding data.\n";
}

std::string ParseExportArguments(const std::vector<std::string>& Args, ExportOptions& Options)
{
    Options = ExportOptions();
    bool pageNamed = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        const bool looksLikeSwitch = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeSwitch) {
            if (pageNamed) return "more than one page given: '" + Options.PagePath + "' and '" + arg + "'";
            Options.PagePath = arg;
            pageNamed = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            Options.Help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const FormatSwitch* format = FindFormat(name);
        if (!format) return "unknown option '" + arg + "'";
        ExportTarget target;
        target.Format = format->Format;
        if (equals != std::string::npos) {
            target.Path = OutputPath(arg.substr(equals + 1));
        } else if (pageNamed && i + 1 < Args.size() && !Args[i + 1].empty() &&
                   (Args[i + 1] == "-" || Args[i + 1][0] != '-')) {
            // The output file follows its switch; before the page is named a
            // plain argument is the page ("--csv PAGE.html").
            target.Path = OutputPath(Args[++i]);
        }
        Options.Targets.push_back(target);
    }
    if (Options.Help) return {};
    if (!pageNamed || Options.PagePath.empty()) return "no page given";
    if (Options.Targets.empty()) return "no output chosen (--csv)";
    int toStdout = 0;
    for (const ExportTarget& t : Options.Targets)
        if (t.Path.empty()) ++toStdout;
    if (toStdout > 1) return "only one output can go to standard output";
    return {};
}
