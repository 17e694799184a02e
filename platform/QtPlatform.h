#pragma once
// The desktop implementations: message boxes, dialogs, the busy cursor.

#include "platform/CorePlatform.h"

namespace platform {

class QtPrompts : public Prompts {
public:
    MsgResult MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons,
                         MsgIcon Icon) override;
    bool OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen) override;
    bool OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen) override;
    bool DateRangeDialog(std::string& From, std::string& To) override;
    bool CheckedDateRangeDialog(std::string& From, std::string& To,
                                const std::function<std::string(const std::string&, const std::string&)>& Check,
                                const std::string& Caption) override;
    bool ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen) override;
    std::unique_ptr<Progress> ShowProgress(const std::string& Text, int Maximum) override;
    std::unique_ptr<TransferProgress> ShowTransfer(const std::string& Text) override;
};

// The desktop's part of the system: the beep, the modifier keys, the busy
// cursor.
class QtSystem : public CoreSystem {
public:
    void Beep() override;
    Modifiers KeyboardModifiers() const override;
    void SetCursor(CursorShape Shape) override;
};

// Makes the toolkit's prompts and system the defaults (what SetPrompts and
// SetSystem restore). Every program with windows calls it once at start.
void InstallQtPlatform();

// Converts a toolkit filter ("desc|pat;pat|desc|pat") to Qt's name filters.
std::string ToQtNameFilters(const std::string& Filter);

}  // namespace platform
