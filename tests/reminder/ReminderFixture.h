// A reminder calendar bound to a fresh database, showing March 2024, with the
// clock at 15 March 2024 10:00 until a test moves it.
#pragma once

#include <gtest/gtest.h>

#include "reminder/Vncalendarreminder.h"
#include "support/BoundCalendar.h"
#include "support/EventRecords.h"

class ReminderFixture : public ::testing::Test {
protected:
    ReminderFixture() {
        cal.resize(700, 560);
        BindCalendar(db, cal);
        cal.SetCalendarDate(EncodeDate(2024, 3, 15));
    }

    ScopedClock clock{At(2024, 3, 15, 10, 0)};
    TestDatabase db;
    TvnCalendarReminder cal;
};
