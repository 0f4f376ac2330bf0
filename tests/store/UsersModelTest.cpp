// The users model: the default user always there, slots taken lowest first,
// removed users free only once the result is applied, and the copy to and
// from the main window's holders.
#include <gtest/gtest.h>

#include "store/Vnusers.h"

namespace {

// Default user plus the named users in slots 1.. in use.
UsersData WithUsers(int named) {
    UsersData data;
    for (int n = 0; n <= named; ++n) {
        data.UserNames[n] = QStringLiteral("u%1").arg(n);
        data.UserStates[n] = usInUse;
    }
    NormalizeUsers(data);
    return data;
}

}  // namespace

TEST(UsersModel, TheDefaultUserExistsWhateverTheHoldersSay) {
    QString names[UsersCount] = {"Boss", "Ann"};
    int32_t states[UsersCount] = {0, 1, 5};
    for (int32_t current : {-1, 2, 3, 9, 1}) {
        const UsersData data = CopyUsers(names, states, current);
        EXPECT_EQ(data.UserNames[0], "Default");
        EXPECT_EQ(data.UserStates[0], usInUse);
        // Only a user in use can be current.
        EXPECT_EQ(data.CurrUserID, current == 1 ? 1 : 0) << current;
        EXPECT_EQ(UsersInUse(data), (std::vector<int>{0, 1}));
    }
}

TEST(UsersModel, AddTakesTheLowestFreeSlotAndBecomesCurrent) {
    UsersData data = WithUsers(7);
    EXPECT_EQ(AddUser(data, "   "), -1);
    EXPECT_EQ(AddUser(data, "  Eve "), 8);
    EXPECT_EQ(data.UserNames[8], "Eve");
    EXPECT_EQ(data.CurrUserID, 8);
    EXPECT_EQ(AddUser(data, "Tenth"), -1);
    EXPECT_EQ(data.CurrUserID, 8);
}

TEST(UsersModel, ARemovedSlotIsNotReusedInTheSameDialog) {
    UsersData data = WithUsers(3);
    data.CurrUserID = 2;
    EXPECT_FALSE(RemoveUser(data, 0));
    EXPECT_FALSE(RemoveUser(data, 5));  // free
    EXPECT_TRUE(RemoveUser(data, 2));
    EXPECT_EQ(data.CurrUserID, 0);
    EXPECT_EQ(AddUser(data, "Ann"), 4);
    EXPECT_EQ(UsersInUse(data), (std::vector<int>{0, 1, 3, 4}));
}

TEST(UsersModel, ClosingDropsARemovedCurrentUser) {
    UsersData data = WithUsers(2);
    data.UserStates[2] = usRemoved;
    data.CurrUserID = 2;
    CloseUsers(data, true);
    EXPECT_TRUE(data.Accepted);
    EXPECT_EQ(data.CurrUserID, 0);
}

TEST(UsersModel, OnlyAnAcceptedResultReachesTheHolders) {
    std::array<QString, UsersCount> names{"Default", "Ann"};
    std::array<int32_t, UsersCount> states{1, 1};
    int32_t current = 1;
    UsersData data = CopyUsers(names, states, current);
    AddUser(data, "Bob");
    RemoveUser(data, 1);
    CloseUsers(data, false);
    EXPECT_FALSE(ApplyUsers(data, names, states, current));
    EXPECT_EQ(states, (std::array<int32_t, UsersCount>{1, 1}));
    EXPECT_EQ(current, 1);

    CloseUsers(data, true);
    EXPECT_TRUE(ApplyUsers(data, names, states, current));
    EXPECT_EQ(names[2], "Bob");
    EXPECT_EQ(current, 0);
    EXPECT_EQ(ReleaseRemovedUsers(states), (std::vector<int>{1}));
    EXPECT_EQ(states, (std::array<int32_t, UsersCount>{1, 0, 1}));
    EXPECT_TRUE(ReleaseRemovedUsers(states).empty());
}
