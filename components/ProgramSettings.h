#pragma once
// The program's settings file (profilora.ini) read once into one settings
// document, with a typed accessor per value the window, the exporter and
// the download cache take from it. Reading it never writes it.

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

private:
    // The value of Section's Key; nullptr when the settings have no such key.
    const T_jt_ini_Text* Value(const std::string& Section, const std::string& Key) const;

    // Look-ups move the document's current section; shared so that the
    // settings are handed on by value without copying the document.
    std::shared_ptr<TjtINI_Document> document_ = std::make_shared<TjtINI_Document>();
};

}  // namespace settings
