#pragma once
// The application object and its general error handler: an error that leaves
// an event handler is shown in a message box and the program goes on.

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    // Errors escaping Qt's event delivery end up here as well.
    bool notify(QObject* Receiver, QEvent* Event) override;
};

namespace app {

// The program's title: the program file's name without its directory and
// without everything from its first "." on, every character after the first
// in lower case.
std::string ProgramTitle();

// The text the general handler shows for a message: a period is appended
// when the last character sorts after the period (letters, digits, ...).
std::string WithPeriod(const std::string& Message);

// Shows an error in the general handler's message box.
void ShowException(const std::exception& E);

// Runs one event handler; an error that leaves it is shown and swallowed.
void RunHandler(const std::function<void()>& Handler);

// The "Application Error" box for an error that ends the start-up.
void ShowStartupError(const std::exception& E);

// An 8-bit text of the program (a file name, a title) as the toolkit shows it.
inline QString Q(const std::string& S) { return QString::fromLocal8Bit(S.c_str()); }

// The hourglass while an object of this lives.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace app
