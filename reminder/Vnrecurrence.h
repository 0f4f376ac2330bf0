// The next notification time of an event: its start minus the advance notice,
// moved on by its recurrence to the first announcement after "now".
#pragma once

#include "store/Vntypes.h"

// Recomputes RunDate and Completed of the record for the given moment. A
// recurrence interval below 1 counts as 1. A start that is not a finite
// number gives a completed event with RunDate 0.
void CalcEventNotifyDate(TvnEventParams* event, TDateTime now);
