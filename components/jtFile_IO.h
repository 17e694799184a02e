#pragma once
// The file component: it owns one file name (directory and name part), reads
// the file into a bound text or image control or through events that get an
// opened text file, asks about unsaved changes, and saves, optionally through
// a temporary file that is committed with one backup of the previous version.
// Every read or write failure is offered to an error event that may drop it.

#include "components/jtComponent.h"   // TComponent, TNotifyEvent
#include "components/jtSysUtils.h"    // Exception, EInOutError, ...
#include "components/jtTextFile.h"    // TTextFile
#include "platform/Platform.h"        // platform::FileDialogSetup

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

// Sender is always the component itself.
using Tjt_FileEvent = std::function<void(QObject* Sender, std::string AFilename)>;
using Tjt_FileOpenEvent = std::function<void(QObject* Sender, TTextFile& F)>;
using Tjt_FileErrorEvent = std::function<bool(QObject* Sender, std::string AFilename, Exception& E)>;

class TjtCustomFile_IO : public TComponent {
public:
    explicit TjtCustomFile_IO(QObject* AOwner);
    ~TjtCustomFile_IO() override;

    // The name part only; a path given here also sets Directory.
    const std::string& Filename() const { return filename_; }
    virtual void SetFilename(const std::string& V);
    // Ends with "/" or is empty. Setting it keeps only the directory part of
    // V, so "/data" gives "/" while "/data/" gives "/data/".
    const std::string& Directory() const { return directory_; }
    virtual void SetDirectory(const std::string& V);
    // Directory with "/" ensured at its end, followed by Filename.
    const std::string& FullFilename() const { return fullFilename_; }

    // The bound control (not owned), or none.
    QWidget* Control() const { return control_.data(); }
    virtual void SetControl(QWidget* C);

    // The getter expands the short names "pas" and "c" and, with nothing
    // stored, gives the list that suits the bound control.
    virtual std::string Filter() const;
    void SetFilter(const std::string& V) { filter_ = V; }
    bool OpenOnLoad() const { return openOnLoad_; }
    void SetOpenOnLoad(bool V) { openOnLoad_ = V; }
    bool AutoOpenDialog() const { return autoOpenDialog_; }
    virtual void SetAutoOpenDialog(bool V);
    virtual std::string OpenDialogTitle() const;
    virtual void SetOpenDialogTitle(const std::string& V);
    virtual std::string SaveDialogTitle() const;
    virtual void SetSaveDialogTitle(const std::string& V);
    // The stored extension, "bak" when nothing is stored; "~" stands for the
    // file's own extension behind a tilde.
    virtual std::string BackupExtention() const;
    void SetBackupExtention(const std::string& V) { backupExtention_ = V; }
    bool MakeBackup() const { return makeBackup_; }
    virtual void SetMakeBackup(bool V);
    const std::string& TempFilename() const { return tempFilename_; }
    virtual void SetTempFilename(const std::string& V);
    // Follows the bound control's own flag; stands alone without one.
    virtual bool Modified();
    virtual void SetModified(bool V);

    Tjt_FileEvent OnOpen, OnSave, OnNotFound;
    Tjt_FileOpenEvent OnRead, OnWrite;
    TNotifyEvent OnReadComplete, OnWriteComplete;
    Tjt_FileErrorEvent OnReadError, OnWriteError;

    // True when the caller may go on and discard the current contents.
    virtual bool QuerySaveChanges();
    virtual void FileNew();
    virtual void FileOpen();
    virtual void FileSave();
    virtual void FileSaveAs();
    virtual void OpenFile(const std::string& AFilename);
    virtual void ReadFromFile();
    virtual void WriteToFile(const std::string& AFilename);
    // The name the next write goes to: the file itself, or TempFilename
    // (emptied first) when a backup is kept.
    virtual std::string GetWriteFilename();
    // Turns the written temporary file into the file and the previous file
    // into the backup.
    virtual void CommitBackup();

    // After-load hook: with OpenOnLoad, clear it and read once.
    void Loaded() override;

    // The dialogs' set-up as the component last prepared them (title held here).
    platform::FileDialogSetup& OpenDialog() { return openDialog_; }
    platform::FileDialogSetup& SaveDialog() { return saveDialog_; }

    // The backup name of Path for the extension E (with its point): Path's
    // extension replaced by E, or E appended when the name part has none.
    static std::string BackupName(const std::string& Path, const std::string& E);

protected:
    virtual void DoReadComplete();
    virtual void DoWriteComplete();
    // True when the read must be abandoned because the file is missing.
    virtual bool HandleNotFound();
    virtual bool DoReadError(const std::string& AFilename, Exception& E);
    virtual bool DoWriteError(const std::string& AFilename, Exception& E);

private:
    enum class ControlKind { None, Text, Image, Other };
    ControlKind Kind() const;
    void SetUpDialog(platform::FileDialogSetup& Dialog, const std::string& Preset) const;
    void UpdateFullFilename();

    std::string filename_;
    std::string directory_;
    std::string fullFilename_;
    QPointer<QWidget> control_;
    QMetaObject::Connection controlDestroyed_;
    platform::FileDialogSetup openDialog_;
    platform::FileDialogSetup saveDialog_;
    std::string filter_;
    bool openOnLoad_ = false;
    bool autoOpenDialog_ = false;
    bool modified_ = false;
    bool makeBackup_ = false;
    std::string backupExtention_;
    std::string tempFilename_;
};

// The published form of the file component; it adds no behaviour.
class TjtFile_IO : public TjtCustomFile_IO {
public:
    using TjtCustomFile_IO::TjtCustomFile_IO;
};

// Path helpers of the file component ("/" is the only delimiter).
namespace jt {
// Everything up to and including the last "/"; empty when there is none.
std::string ExtractFilePath(const std::string& Path);
// Everything after the last "/".
std::string ExtractFileName(const std::string& Path);
// The name part's extension from its last "." (point included), or empty.
std::string ExtractFileExt(const std::string& Path);
// Appends "/" unless Path already ends with it ("" becomes "/").
std::string IncludeTrailingPathDelimiter(const std::string& Path);
}  // namespace jt
