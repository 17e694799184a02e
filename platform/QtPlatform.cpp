#include "platform/QtPlatform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

// ---------------------------------------------------------------- prompts

MsgResult QtPrompts::MessageBox(const std::string& Text, const std::string& Caption, MsgButtons Buttons, MsgIcon Icon)
{
    QMessageBox box;
    box.setWindowTitle(QString::fromLocal8Bit(Caption.c_str()));
    box.setText(QString::fromLocal8Bit(Text.c_str()));
    switch (Icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
    case MsgIcon::Confirmation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (Buttons == MsgButtons::OK) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgResult::OK;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

std::string ToQtNameFilters(const std::string& Filter)
{
    // "Soundings (*.html)|*.html|All files (*.*)|*.*" becomes
    // "Soundings (*.html);;All files (*)": the patterns a description shows
    // in parentheses at its end give way to the ones the dialog uses.
    std::vector<std::string> parts;
    std::string cur;
    for (char c : Filter) {
        if (c == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        std::string pat;
        auto flush = [&] {
            if (pat.empty()) return;
            if (pat == "*.*") pat = "*";
            if (!patterns.empty()) patterns += ' ';
            patterns += pat;
            pat.clear();
        };
        for (char c : parts[i + 1]) {
            if (c == ';')
                flush();
            else
                pat += c;
        }
        flush();
        std::string description = parts[i];
        const size_t open = description.rfind(" (");
        if (open != std::string::npos && description.back() == ')') description.erase(open);
        if (!out.empty()) out += ";;";
        out += description + " (" + patterns + ")";
    }
    return out;
}

namespace {
bool RunFileDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen, bool Save, bool Many = false)
{
    QFileDialog dlg;
    dlg.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(Save   ? QFileDialog::AnyFile
                    : Many ? QFileDialog::ExistingFiles
                           : (Setup.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!Setup.Title.empty()) dlg.setWindowTitle(QString::fromLocal8Bit(Setup.Title.c_str()));
    dlg.setDirectory(QString::fromLocal8Bit(Setup.InitialDir.c_str()));
    if (!Setup.FileName.empty()) dlg.selectFile(QString::fromLocal8Bit(Setup.FileName.c_str()));
    const std::string filters = ToQtNameFilters(Setup.Filter);
    if (!filters.empty()) dlg.setNameFilter(QString::fromLocal8Bit(filters.c_str()));
    dlg.setSizeGripEnabled(Setup.EnableSizing);
    if (Save) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    Chosen.clear();
    for (const QString& file : dlg.selectedFiles()) Chosen.push_back(file.toLocal8Bit().toStdString());
    return true;
}

bool RunFileDialog(const FileDialogSetup& Setup, std::string& Chosen, bool Save)
{
    std::vector<std::string> chosen;
    if (!RunFileDialog(Setup, chosen, Save)) return false;
    Chosen = chosen.front();
    return true;
}
}  // namespace

bool QtPrompts::OpenFileDialog(const FileDialogSetup& Setup, std::string& Chosen)
{
    return RunFileDialog(Setup, Chosen, false);
}

bool QtPrompts::SaveFileDialog(const FileDialogSetup& Setup, std::string& Chosen)
{
    return RunFileDialog(Setup, Chosen, true);
}

bool QtPrompts::OpenFilesDialog(const FileDialogSetup& Setup, std::vector<std::string>& Chosen)
{
    return RunFileDialog(Setup, Chosen, false, true);
}

bool QtPrompts::DateRangeDialog(std::string& From, std::string& To) { return CheckedDateRangeDialog(From, To, {}, ""); }

bool QtPrompts::CheckedDateRangeDialog(std::string& From, std::string& To,
                                       const std::function<std::string(const std::string&, const std::string&)>& Check,
                                       const std::string& Caption)
{
    QDialog dlg;
    dlg.setObjectName("DateRangeDialog");
    dlg.setWindowTitle("Date Range");
    auto* form = new QFormLayout(&dlg);
    auto* from = new QLineEdit(QString::fromLocal8Bit(From.c_str()), &dlg);
    auto* to = new QLineEdit(QString::fromLocal8Bit(To.c_str()), &dlg);
    for (QLineEdit* edit : {from, to}) {
        edit->setPlaceholderText("YYYY-MM-DD");
        edit->setClearButtonEnabled(true);
    }
    form->addRow("From", from);
    form->addRow("To", to);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    // A range that does not pass is told over the dialog, which stays open
    // with the dates as typed.
    const auto answer = [&](const std::string& F, const std::string& T) {
        const std::string fault = Check ? Check(F, T) : std::string();
        if (!fault.empty()) {
            QMessageBox::critical(&dlg, QString::fromLocal8Bit(Caption.c_str()), QString::fromLocal8Bit(fault.c_str()));
            return;
        }
        From = F;
        To = T;
        dlg.accept();
    };
    const auto typed = [](const QLineEdit* edit) { return edit->text().trimmed().toLocal8Bit().toStdString(); };
    // "Whole File" answers an open range at both ends.
    QPushButton* whole = buttons->addButton("Whole File", QDialogButtonBox::ResetRole);
    QObject::connect(whole, &QPushButton::clicked, &dlg, [&] { answer("", ""); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] { answer(typed(from), typed(to)); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);
    return dlg.exec() == QDialog::Accepted;
}

bool QtPrompts::ColorDialog(std::uint32_t Initial, std::uint32_t& Chosen)
{
    const QColor start(Initial & 0xFF, (Initial >> 8) & 0xFF, (Initial >> 16) & 0xFF);
    const QColor c = QColorDialog::getColor(start);
    if (!c.isValid()) return false;
    Chosen = std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
    return true;
}

std::unique_ptr<Progress> QtPrompts::ShowProgress(const std::string& Text, int Maximum)
{
    return MakeQtProgress(Text, Maximum);
}

std::unique_ptr<TransferProgress> QtPrompts::ShowTransfer(const std::string& Text)
{
    return MakeQtTransferProgress(Text);
}

// ---------------------------------------------------------------- system

void QtSystem::Beep() { QApplication::beep(); }

Modifiers QtSystem::KeyboardModifiers() const
{
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return Modifiers{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::AltModifier), m.testFlag(Qt::ControlModifier)};
}

void QtSystem::SetCursor(CursorShape Shape)
{
    if (!QGuiApplication::instance()) return;
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (Shape == CursorShape::Hourglass) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void InstallQtPlatform()
{
    static QtPrompts prompts;
    static QtSystem system;
    SetDefaults(&prompts, &system);
}

}  // namespace platform
