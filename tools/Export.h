#pragma once
// profilora-export as a function, so that it runs (and is tested) without a
// process of its own: arguments in, text on Out and Err, the exit status back.

#include <ostream>
#include <string>
#include <vector>

// Exit statuses.
inline constexpr int kExportDone = 0;
inline constexpr int kExportFailed = 1;   // unreadable page, bad value, bad arguments, write error
inline constexpr int kExportNoData = 2;   // the page holds no sounding data, or no soundings

int RunExport(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);
