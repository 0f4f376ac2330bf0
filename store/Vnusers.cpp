#include "store/Vnusers.h"

#include <algorithm>

namespace {

bool InRange(int user) {
    return user >= 0 && user < UsersCount;
}

}  // namespace

UsersData CopyUsers(std::span<const QString, UsersCount> names,
                    std::span<const int32_t, UsersCount> states, int32_t currUserID) {
    UsersData data;
    std::copy(names.begin(), names.end(), data.UserNames.begin());
    std::copy(states.begin(), states.end(), data.UserStates.begin());
    data.CurrUserID = currUserID;
    NormalizeUsers(data);
    return data;
}

bool ApplyUsers(const UsersData& data, TUserNamesView names, TUserStatesView states,
                int32_t& currUserID) {
    if (!data.Accepted) return false;
    std::copy(data.UserNames.begin(), data.UserNames.end(), names.begin());
    std::copy(data.UserStates.begin(), data.UserStates.end(), states.begin());
    currUserID = data.CurrUserID;
    return true;
}

void NormalizeUsers(UsersData& data) {
    data.UserNames[DefaultUserID] = QStringLiteral("Default");
    data.UserStates[DefaultUserID] = usInUse;
    if (!InRange(data.CurrUserID) || data.UserStates[data.CurrUserID] != usInUse)
        data.CurrUserID = DefaultUserID;
}

QString CleanUserName(const QString& typed) {
    return typed.trimmed();
}

std::vector<int> UsersInUse(const UsersData& data) {
    std::vector<int> users;
    for (int n = 0; n < UsersCount; ++n)
        if (data.UserStates[n] == usInUse) users.push_back(n);
    return users;
}

int FirstFreeSlot(const UsersData& data) {
    for (int n = 0; n < UsersCount; ++n)
        if (data.UserStates[n] == usFree) return n;
    return -1;
}

int AddUser(UsersData& data, const QString& typed) {
    const QString name = CleanUserName(typed);
    const int slot = name.isEmpty() ? -1 : FirstFreeSlot(data);
    if (slot < 0) return -1;
    data.UserNames[slot] = name;
    data.UserStates[slot] = usInUse;
    data.CurrUserID = slot;
    return slot;
}

bool RemoveUser(UsersData& data, int user) {
    if (user == DefaultUserID || !InRange(user) || data.UserStates[user] != usInUse) return false;
    data.UserStates[user] = usRemoved;
    data.CurrUserID = DefaultUserID;
    return true;
}

void CloseUsers(UsersData& data, bool accepted) {
    data.Accepted = accepted;
    if (!InRange(data.CurrUserID) || data.UserStates[data.CurrUserID] == usRemoved)
        data.CurrUserID = DefaultUserID;
}

std::vector<int> ReleaseRemovedUsers(TUserStatesView states) {
    std::vector<int> removed;
    for (int n = 0; n < UsersCount; ++n)
        if (states[n] == usRemoved) {
            states[n] = usFree;
            removed.push_back(n);
        }
    return removed;
}
