// The one message that tells the user how loading a date went.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"

namespace zelkova {

// What a window shows, in one box, after loading `date` (the 14-byte date text): the failure
// that ended the load or the day's lack of races, then the files that could not be used as they
// are (the first ten named, the rest counted). Empty when there is nothing to tell. CP932.
std::string LoadReport(const std::string& date, const Status& loaded, int raceListItems,
                       const std::vector<std::string>& problems);

}  // namespace zelkova
