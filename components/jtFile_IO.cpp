#include "components/jtFile_IO.h"

#include "components/jtControls.h"
#include "platform/LocalNames.h"

#include <cerrno>
#include <cstring>

// ---------------------------------------------------------------- paths

namespace jt {

std::string ExtractFilePath(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

std::string ExtractFileName(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = Path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return std::string();
    return Path.substr(dot);
}

std::string IncludeTrailingPathDelimiter(const std::string& Path)
{
    if (!Path.empty() && Path.back() == '/') return Path;
    return Path + '/';
}

}  // namespace jt

// ---------------------------------------------------------------- filters

namespace {
const char* const kPasFilter =
    "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg;*.pas;*.dfm;*.dpr|Text Files (*.txt)|*.txt|"
    "Ini Files (*.ini)|*.ini|Delphi Source (*.pas)|*.pas|Delphi text (pas dfm dpr)|*.pas;*.dfm;*.dpr|"
    "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";
const char* const kCFilter =
    "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg;*.c;*.cpp;*.cxx;*.h;*.hpp;makefile|Text Files (*.txt)|*.txt|"
    "Ini Files (*.ini)|*.ini|C++ Source (*.c *.cpp *.h *.hpp)|*.c;*.cpp;*.cxx;*.h;*.hpp;makefile|"
    "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";
const char* const kTextFilter =
    "Text Files|*.ini;*.txt;*.log;*.dat;*.cfg|Text Files (*.txt)|*.txt|Ini Files (*.ini)|*.ini|"
    "Log Files (*.log)|*.log|Data Files (*.dat)|*.dat|Config Files (*.cfg)|*.cfg|All Files (*.*)|*.*";
const char* const kAllFilter = "All Files (*.*)|*.*";
}  // namespace

// ---------------------------------------------------------------- life

TjtCustomFile_IO::TjtCustomFile_IO(QObject* AOwner)
    : TComponent(AOwner), tempFilename_("jtFile_IO.tempfile")
{
    // Files are looked for beside the program until told otherwise.
    directory_ = jt::ExtractFilePath(platform::system().ProgramPath());
    UpdateFullFilename();
}

TjtCustomFile_IO::~TjtCustomFile_IO()
{
    QObject::disconnect(controlDestroyed_);
}

void TjtCustomFile_IO::Loaded()
{
    TComponent::Loaded();
    if (openOnLoad_) {
        // Cleared first, so the read happens once even if it fails.
        openOnLoad_ = false;
        ReadFromFile();
    }
}

// ---------------------------------------------------------------- names

void TjtCustomFile_IO::UpdateFullFilename()
{
    fullFilename_ = jt::IncludeTrailingPathDelimiter(directory_) + filename_;
}

void TjtCustomFile_IO::SetFilename(const std::string& V)
{
    filename_ = jt::ExtractFileName(V);
    const std::string dir = jt::ExtractFilePath(V);
    if (!dir.empty()) directory_ = dir;
    UpdateFullFilename();
}

void TjtCustomFile_IO::SetDirectory(const std::string& V)
{
    directory_ = jt::ExtractFilePath(V);
    UpdateFullFilename();
}

// ---------------------------------------------------------------- binding

TjtCustomFile_IO::ControlKind TjtCustomFile_IO::Kind() const
{
    QWidget* c = control_.data();
    if (!c) return ControlKind::None;
    if (dynamic_cast<TCustomMemo*>(c)) return ControlKind::Text;
    if (dynamic_cast<TImage*>(c)) return ControlKind::Image;
    return ControlKind::Other;
}

void TjtCustomFile_IO::SetControl(QWidget* C)
{
    // A filter chosen for one kind of control does not suit another.
    QWidget* old = control_.data();
    if (old && C && std::strcmp(old->metaObject()->className(), C->metaObject()->className()) != 0)
        filter_.clear();
    if (!C) filter_.clear();
    QObject::disconnect(controlDestroyed_);
    controlDestroyed_ = {};
    control_ = C;
    if (C) {
        controlDestroyed_ = QObject::connect(C, &QObject::destroyed, this, [this](QObject* Gone) {
            if (Gone == control_.data() || control_.isNull()) SetControl(nullptr);
        });
    }
}

std::string TjtCustomFile_IO::Filter() const
{
    if (filter_ == "pas") return kPasFilter;
    if (filter_ == "c") return kCFilter;
    if (!filter_.empty()) return filter_;
    switch (Kind()) {
    case ControlKind::Text: return kTextFilter;
    case ControlKind::Image: return TImage::GraphicFilter();
    default: return kAllFilter;
    }
}

// ---------------------------------------------------------------- properties

void TjtCustomFile_IO::SetAutoOpenDialog(bool V) { autoOpenDialog_ = V; }
std::string TjtCustomFile_IO::OpenDialogTitle() const { return openDialog_.Title; }
void TjtCustomFile_IO::SetOpenDialogTitle(const std::string& V) { openDialog_.Title = V; }
std::string TjtCustomFile_IO::SaveDialogTitle() const { return saveDialog_.Title; }
void TjtCustomFile_IO::SetSaveDialogTitle(const std::string& V) { saveDialog_.Title = V; }

std::string TjtCustomFile_IO::BackupExtention() const
{
    return backupExtention_.empty() ? std::string("bak") : backupExtention_;
}

void TjtCustomFile_IO::SetMakeBackup(bool V)
{
    makeBackup_ = V;
    // Switching backups on again starts from the default extension.
    if (!V) backupExtention_.clear();
}

void TjtCustomFile_IO::SetTempFilename(const std::string& V) { tempFilename_ = V; }

bool TjtCustomFile_IO::Modified()
{
    switch (Kind()) {
    case ControlKind::Text: modified_ = static_cast<TCustomMemo*>(control_.data())->Modified(); break;
    case ControlKind::Image: modified_ = static_cast<TImage*>(control_.data())->Modified(); break;
    default: break;
    }
    return modified_;
}

void TjtCustomFile_IO::SetModified(bool V)
{
    modified_ = V;
    switch (Kind()) {
    case ControlKind::Text: static_cast<TCustomMemo*>(control_.data())->SetModified(V); break;
    case ControlKind::Image: static_cast<TImage*>(control_.data())->SetModified(V); break;
    default: break;
    }
}

// ---------------------------------------------------------------- dialogs

void TjtCustomFile_IO::SetUpDialog(platform::FileDialogSetup& Dialog, const std::string& Preset) const
{
    Dialog.InitialDir = directory_;
    Dialog.FileName = Preset;
    Dialog.Filter = Filter();
    Dialog.HideReadOnly = true;
    Dialog.PathMustExist = true;
    Dialog.FileMustExist = true;
    Dialog.EnableSizing = true;
}

bool TjtCustomFile_IO::QuerySaveChanges()
{
    if (!Modified()) return true;
    switch (platform::prompts().MessageBox("Do you want to save your changes?", "Save Changes",
                                           platform::MsgButtons::YesNoCancel, platform::MsgIcon::Question)) {
    case platform::MsgResult::Yes:
        FileSaveAs();
        // A cancelled dialog or an incomplete save leaves the changes unsaved.
        return !Modified();
    case platform::MsgResult::No: return true;
    default: return false;
    }
}

void TjtCustomFile_IO::FileNew()
{
    if (!QuerySaveChanges()) return;
    switch (Kind()) {
    case ControlKind::Text: static_cast<TCustomMemo*>(control_.data())->Clear(); break;
    case ControlKind::Image: static_cast<TImage*>(control_.data())->Clear(); break;
    default: break;
    }
    SetFilename(std::string());
}

void TjtCustomFile_IO::FileOpen()
{
    SetUpDialog(openDialog_, std::string());
    if (!QuerySaveChanges()) return;
    std::string chosen;
    if (!platform::prompts().OpenFileDialog(openDialog_, chosen)) return;
    chosen = platform::ExistingLocalName(chosen);
    SetFilename(chosen);
    if (OnOpen) OnOpen(this, chosen);
    else ReadFromFile();
}

// ---------------------------------------------------------------- reading

namespace {
// Offers a failure to an error event. Failures that are not the program's
// own exceptions are offered as one with the same message; when the event
// does not take it, the original failure goes on.
template <typename Offer>
void OfferFailure(Offer&& Handler)
{
    try {
        throw;
    } catch (Exception& E) {
        if (!Handler(E)) throw;
    } catch (const std::exception& E) {
        Exception wrapped(E.what());
        if (!Handler(wrapped)) throw;
    }
}
}  // namespace

bool TjtCustomFile_IO::HandleNotFound()
{
    if (platform::files().FileExists(fullFilename_)) return false;
    if (autoOpenDialog_) {
        SetUpDialog(openDialog_, filename_);
        std::string chosen;
        if (platform::prompts().OpenFileDialog(openDialog_, chosen)) {
            SetFilename(platform::ExistingLocalName(chosen));
            return false;
        }
    }
    if (OnNotFound) {
        OnNotFound(this, fullFilename_);
        return true;
    }
    const std::string name = fullFilename_;
    EFOpenError failure("File not found\n\n        " + name);
    if (DoReadError(name, failure)) return true;
    throw failure;
}

void TjtCustomFile_IO::ReadFromFile()
{
    if (HandleNotFound()) return;
    const std::string name = fullFilename_;
    try {
        switch (Kind()) {
        case ControlKind::None:
            if (OnRead) {
                // The text file's own destructor releases it when a step fails.
                TTextFile f(name);
                f.Reset();
                OnRead(this, f);
                DoReadComplete();
                f.Close();
            }
            break;
        case ControlKind::Text:
            static_cast<TCustomMemo*>(control_.data())->LoadFromFile(name);
            DoReadComplete();
            break;
        case ControlKind::Image: {
            // Guarded: a read-complete handler may destroy the control.
            QPointer<TImage> image = static_cast<TImage*>(control_.data());
            try {
                image->LoadFromFile(name);
                DoReadComplete();
            } catch (...) {
                // A picture that failed to arrive is not shown half-way.
                if (image) image->Clear();
                throw;
            }
            break;
        }
        case ControlKind::Other: break;
        }
    } catch (EInvalidGraphic&) {
        // Never offered: a file that is not a picture is the caller's to report.
        throw;
    } catch (...) {
        OfferFailure([&](Exception& E) { return DoReadError(name, E); });
    }
}

void TjtCustomFile_IO::DoReadComplete()
{
    SetModified(false);
    if (OnReadComplete) OnReadComplete(this);
}

bool TjtCustomFile_IO::DoReadError(const std::string& AFilename, Exception& E)
{
    return OnReadError ? OnReadError(this, AFilename, E) : false;
}

void TjtCustomFile_IO::OpenFile(const std::string& AFilename)
{
    SetFilename(AFilename);
    ReadFromFile();
}

// ---------------------------------------------------------------- saving

void TjtCustomFile_IO::FileSave()
{
    const std::string name = fullFilename_;
    if (OnSave) OnSave(this, name);
    else WriteToFile(name);
}

void TjtCustomFile_IO::FileSaveAs()
{
    SetUpDialog(saveDialog_, filename_);
    std::string chosen;
    if (!platform::prompts().SaveFileDialog(saveDialog_, chosen)) return;
    if (platform::files().FileExists(chosen) &&
        platform::prompts().MessageBox("OK to overwrite " + chosen, "Confirm", platform::MsgButtons::YesNoCancel,
                                       platform::MsgIcon::Confirmation) != platform::MsgResult::Yes)
        return;
    if (OnSave) OnSave(this, chosen);
    else WriteToFile(chosen);
}

std::string TjtCustomFile_IO::GetWriteFilename()
{
    if (!makeBackup_) return fullFilename_;
    // A failed delete is not reported here: the write that follows fails.
    if (platform::files().FileExists(tempFilename_)) platform::files().DeleteFile(tempFilename_);
    return tempFilename_;
}

void TjtCustomFile_IO::WriteToFile(const std::string& AFilename)
{
    SetFilename(AFilename);
    const std::string target = GetWriteFilename();
    try {
        switch (Kind()) {
        case ControlKind::Text:
            static_cast<TCustomMemo*>(control_.data())->SaveToFile(target);
            DoWriteComplete();
            break;
        case ControlKind::Image:
            static_cast<TImage*>(control_.data())->SaveToFile(target);
            DoWriteComplete();
            break;
        case ControlKind::None:
        case ControlKind::Other:
            if (OnWrite) {
                TTextFile f(target);
                f.Rewrite();
                OnWrite(this, f);
                // Closed before the commit, so the moves act on a complete file.
                f.Close();
                DoWriteComplete();
            }
            break;
        }
    } catch (EInOutError& E) {
        // The codes that mean a write-protected medium or an empty drive.
        if (E.ErrorCode == EROFS) E.SetMessage(E.Message() + " - Floppy is write protected");
        else if (E.ErrorCode == ENOMEDIUM || E.ErrorCode == ENXIO)
            E.SetMessage(E.Message() + " - No disk in floppy drive");
        if (!DoWriteError(target, E)) throw;
    } catch (...) {
        OfferFailure([&](Exception& E) { return DoWriteError(target, E); });
    }
}

void TjtCustomFile_IO::DoWriteComplete()
{
    SetModified(false);
    if (makeBackup_) CommitBackup();
    if (OnWriteComplete) OnWriteComplete(this);
}

bool TjtCustomFile_IO::DoWriteError(const std::string& AFilename, Exception& E)
{
    return OnWriteError ? OnWriteError(this, AFilename, E) : false;
}

std::string TjtCustomFile_IO::BackupName(const std::string& Path, const std::string& E)
{
    const std::string ext = jt::ExtractFileExt(Path);
    return Path.substr(0, Path.size() - ext.size()) + E;
}

void TjtCustomFile_IO::CommitBackup()
{
    const std::string x = BackupExtention();
    std::string e;
    if (x == "~") {
        // notes.txt keeps its backup as notes.~txt; a name without an
        // extension gets ".~".
        const std::string ext = jt::ExtractFileExt(filename_);
        e = ext.empty() ? std::string(".~") : "." + ("~" + ext.substr(1));
    } else {
        e = "." + x;
    }
    if (e == ".") e = ".bak";
    const std::string p = fullFilename_;
    const std::string t = tempFilename_;
    const std::string b = BackupName(p, e);
    platform::FileSystem& fs = platform::files();
    // A backup named like the file itself would delete the previous version
    // in place of keeping it.
    if (b == p && fs.FileExists(p)) throw Exception("Unable to create backup file.");
    // The old backup makes way only for a file that takes its place. Without
    // one (a save whose last move failed leaves the previous version as the
    // backup and no file) it is the only previous version there is.
    if (fs.FileExists(p)) {
        if (fs.FileExists(b) && !fs.DeleteFile(b)) throw Exception("Unable to delete backup file.");
        if (!fs.MoveFile(p, b)) throw Exception("Unable to create backup file.");
    }
    if (!fs.MoveFile(t, p)) throw Exception("Unable to complete the file save.");
}
