#include "components/jtFile_IO.h"

// Behaviour follows; these bodies keep the interface linkable meanwhile.
TjtCustomFile_IO::TjtCustomFile_IO(QObject* AOwner) : TComponent(AOwner) {}
TjtCustomFile_IO::~TjtCustomFile_IO() = default;
void TjtCustomFile_IO::SetFilename(const std::string& V) { filename_ = V; }
void TjtCustomFile_IO::SetDirectory(const std::string& V) { directory_ = V; }
void TjtCustomFile_IO::SetControl(QWidget* C) { control_ = C; }
std::string TjtCustomFile_IO::Filter() const { return filter_; }
void TjtCustomFile_IO::SetAutoOpenDialog(bool V) { autoOpenDialog_ = V; }
std::string TjtCustomFile_IO::OpenDialogTitle() const { return openDialog_.Title; }
void TjtCustomFile_IO::SetOpenDialogTitle(const std::string& V) { openDialog_.Title = V; }
std::string TjtCustomFile_IO::SaveDialogTitle() const { return saveDialog_.Title; }
void TjtCustomFile_IO::SetSaveDialogTitle(const std::string& V) { saveDialog_.Title = V; }
std::string TjtCustomFile_IO::BackupExtention() const { return backupExtention_; }
void TjtCustomFile_IO::SetMakeBackup(bool V) { makeBackup_ = V; }
void TjtCustomFile_IO::SetTempFilename(const std::string& V) { tempFilename_ = V; }
bool TjtCustomFile_IO::Modified() { return modified_; }
void TjtCustomFile_IO::SetModified(bool V) { modified_ = V; }
bool TjtCustomFile_IO::QuerySaveChanges() { return true; }
void TjtCustomFile_IO::FileNew() {}
void TjtCustomFile_IO::FileOpen() {}
void TjtCustomFile_IO::FileSave() {}
void TjtCustomFile_IO::FileSaveAs() {}
void TjtCustomFile_IO::OpenFile(const std::string& AFilename) { SetFilename(AFilename); }
void TjtCustomFile_IO::ReadFromFile() {}
void TjtCustomFile_IO::WriteToFile(const std::string& AFilename) { SetFilename(AFilename); }
std::string TjtCustomFile_IO::GetWriteFilename() { return fullFilename_; }
void TjtCustomFile_IO::CommitBackup() {}
void TjtCustomFile_IO::Loaded() { TComponent::Loaded(); }
std::string TjtCustomFile_IO::BackupName(const std::string& Path, const std::string&) { return Path; }
void TjtCustomFile_IO::DoReadComplete() {}
void TjtCustomFile_IO::DoWriteComplete() {}
bool TjtCustomFile_IO::HandleNotFound() { return false; }
bool TjtCustomFile_IO::DoReadError(const std::string&, Exception&) { return false; }
bool TjtCustomFile_IO::DoWriteError(const std::string&, Exception&) { return false; }
TjtCustomFile_IO::ControlKind TjtCustomFile_IO::Kind() const { return ControlKind::None; }
void TjtCustomFile_IO::SetUpDialog(platform::FileDialogSetup&, const std::string&) const {}
void TjtCustomFile_IO::UpdateFullFilename() {}

namespace jt {
std::string ExtractFilePath(const std::string& Path) { return Path; }
std::string ExtractFileName(const std::string& Path) { return Path; }
std::string ExtractFileExt(const std::string& Path) { return Path; }
std::string IncludeTrailingPathDelimiter(const std::string& Path) { return Path; }
}  // namespace jt
