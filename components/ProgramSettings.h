#pragma once
// The program's settings file (profilora.ini) read once into one settings
// document, with a typed accessor per value the window, the exporter and
// the download cache take from it. Reading it never writes it. The window
// builds it once from its settings component, the exporter once from its
// settings file, and each hands it on.

#include "components/jtINI_Document.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// The IGRA v2 archive's address when the settings name none.
inline constexpr char kDefaultIgraBase[] = "https://www.ncei.noaa.gov/data/integrated-global-radiosonde-archive/";

// An entry of the catalogue: a file name (or a full path, or a name with
// wildcards) and its value (a date range, or anything else, ignored).
struct TCatalogueEntry {
    std::string Name;
    std::string Value;
    friend bool operator==(const TCatalogueEntry&, const TCatalogueEntry&) = default;
};

class TProgramSettings {
public:
    TProgramSettings() = default;
    // The settings of the default text Defaults, then of a file's whole
    // Text (LF, CR LF or CR line ends) over them.
    explicit TProgramSettings(std::string_view Text, const std::vector<std::string>& Defaults = {});
    // The settings of Defaults and, when it exists, the file at Path; a
    // file that cannot be read leaves the defaults alone.
    static TProgramSettings FromFile(const std::string& Path, const std::vector<std::string>& Defaults);
    // The settings of a document already read (the window's settings
    // component, the exporter's settings file), shared, not read again.
    explicit TProgramSettings(std::shared_ptr<TjtINI_Document> Document);
    // The same over a document its owner keeps alive as long as the
    // settings are used (the window's settings components).
    static TProgramSettings Over(TjtINI_Document& Document)
    {
        return TProgramSettings(std::shared_ptr<TjtINI_Document>(std::shared_ptr<TjtINI_Document>(), &Document));
    }

    const TjtINI_Document& Document() const { return *document_; }

    // [soundings] in the order of the file, entries named by a full path
    // (a key that starts with "/") included: such a line without "=" counts
    // only when its file exists. Without entries, the names of
    // [soundings-internal], with empty values.
    std::vector<TCatalogueEntry> Catalogue() const;
    // [Display at start] file: the entry shown at start ("" when none).
    std::string StartPage() const;
    // [Display at start] ms_per_frame: the milliseconds between frames,
    // Default when the key is missing, 0 when it is not a number; a number
    // beyond 64 bits raises EInvalidOperation.
    std::int32_t IntervalMs(std::int32_t Default) const;
    // [Sources] IGRA: the archive's address, section and key in any case;
    // kDefaultIgraBase when the key is missing or empty.
    std::string IgraBase() const;

    // [Year] HeightMax: the top of the section in m, Default when the key is
    // missing or empty; a value that is not a height from 1000 to 100000 m
    // raises Exception naming it.
    double SectionHeightMax(double Default) const;
    // [Skew-T] Key (PressureBottom, PressureTop): a pressure of the diagram
    // in hPa, Default when the key is missing or empty; a value that is not
    // a pressure from 1 to 1100 hPa raises Exception naming the key and it.
    double SkewTPressure(const std::string& Key, double Default) const;
    // [Skew-T] Left, Top, Width and Height: where the skew-T window was put
    // (0 for a key that is missing or no number).
    struct TPlace {
        std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    };
    TPlace SkewTPlace() const;

private:
    // The value of Section's Key; nullptr when the settings have no such key.
    const T_jt_ini_Text* Value(const std::string& Section, const std::string& Key) const;
    // The number Section's Key holds when it is in [Min, Max], Default when
    // the key is missing or empty; else Exception "[Section] Key must be
    // What from Min to Max Unit, not "value"".
    double Bounded(const std::string& Section, const std::string& Key, double Default, double Min, double Max,
                   const std::string& What) const;

    // Look-ups move the document's current section; shared so that the
    // settings are handed on by value without copying the document.
    std::shared_ptr<TjtINI_Document> document_ = std::make_shared<TjtINI_Document>();
};

}  // namespace settings
