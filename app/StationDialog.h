#pragma once
// "Open Station...": one search field over the IGRA v2 station list (name,
// id, WMO number, country code, or "lat, lon" for the nearest), a sortable
// table of the stations found, the last stations opened, the period to
// fetch, and the commands that refresh the list and empty the cache. It is
// not modal: the window behind it goes on playing.

#include "download/StationCache.h"
#include "sounding/StationList.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;

namespace app {

class TStationModel;

class TStationDialog : public QDialog {
public:
    explicit TStationDialog(QWidget* Parent);
    ~TStationDialog() override;

    // The list searched; the dialog keeps a reference, so Stations must stay
    // until the next SetStations.
    void SetStations(const std::vector<sounding::TStation>* Stations);
    // The recent stations, newest first ("<id> <por|y2d>" each).
    void SetRecent(const std::vector<std::string>& Recent);
    // Whether the window narrows its soundings to a date range (From..To).
    void SetDateRange(const std::string& From, const std::string& To);

    // What the user chose with "Open" (or Enter).
    std::function<void(const std::string& Id, download::TPeriod Period, bool KeepRange)> OnOpen;
    std::function<void()> OnUpdateList;
    std::function<void()> OnClearCache;

    // The controls, by their object names.
    QLabel* Recent_Label = nullptr;  // "Recent stations:", hidden while there are none
    QListWidget* Recent_List = nullptr;
    QLineEdit* Search_Edit = nullptr;
    QTableView* Station_Table = nullptr;
    QLabel* Count_Label = nullptr;
    QRadioButton* WholeRecord_Radio = nullptr;  // "Whole record"
    QRadioButton* ThisYear_Radio = nullptr;     // "This year"
    QCheckBox* KeepRange_CheckBox = nullptr;    // "Keep the window's date range"
    QPushButton* Open_Button = nullptr;         // "Open"
    QPushButton* UpdateList_Button = nullptr;   // "Update Station List"
    QPushButton* ClearCache_Button = nullptr;   // "Clear Download Cache"

    // Runs the search field's text (as each key stroke does).
    void Search(const std::string& Text);
    // The id on the selected row, or empty.
    std::string SelectedId() const;
    int RowCount() const;
    std::string IdAt(int Row) const;
    // Whether a row is shown greyed (no launch in the last two years).
    bool RowGreyed(int Row) const;
    void Open();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    std::unique_ptr<TStationModel> model_;
    std::unique_ptr<sounding::TStationSearch> search_;
};

}  // namespace app
