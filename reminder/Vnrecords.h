// Lists that own the records copied out of the tables until a list view or a
// dialog takes them over; whoever holds the list holds the records.
#pragma once

#include <memory>
#include <vector>

#include "store/Vntypes.h"

using TvnEventRecords = std::vector<std::unique_ptr<TvnEventParams>>;
using TvnHolidayRecords = std::vector<std::unique_ptr<TvnHolidayParams>>;
