// The users: nine numbered slots with a name and a state, slot 0 always the
// user "Default". The rules the users dialog and the main window share, on
// the record the dialog works on and on the main window's own holders.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

constexpr int UsersCount = 9;
constexpr int DefaultUserID = 0;

// Values of UserStates.
enum TUserState : int32_t {
    usFree = 0,     // no user; its menu entry is hidden
    usInUse = 1,    // shown in the menu under its name
    usRemoved = 2,  // removed in the users dialog; its data goes once the result is applied
};

// The users dialog's copy of the main window's users.
struct UsersData {
    int32_t CurrUserID = DefaultUserID;
    std::array<QString, UsersCount> UserNames;
    std::array<int32_t, UsersCount> UserStates{};
    bool Accepted = false;  // the dialog was closed with OK
};

// The main window's holders, taken as they are (arrays or std::array).
using TUserNamesView = std::span<QString, UsersCount>;
using TUserStatesView = std::span<int32_t, UsersCount>;

// A copy of the holders for the dialog, with the default user in place and a
// current user that is in use (else the default one).
UsersData CopyUsers(std::span<const QString, UsersCount> names,
                    std::span<const int32_t, UsersCount> states, int32_t currUserID);
// Copies an accepted result back into the holders; a cancelled one changes
// nothing. Answers whether anything was copied.
bool ApplyUsers(const UsersData& data, TUserNamesView names, TUserStatesView states,
                int32_t& currUserID);

// The default user exists whatever was read: slot 0 named "Default" and in
// use; a current user out of range or not in use falls back to it.
void NormalizeUsers(UsersData& data);

// The name a user typed, as stored: without surrounding blanks; empty when
// it names nobody.
QString CleanUserName(const QString& typed);

// The slots in use, in slot order: the users the dialog lists.
std::vector<int> UsersInUse(const UsersData& data);
// The lowest free slot, or -1 when all nine are taken. A slot removed in this
// dialog is not free until its result has been applied.
int FirstFreeSlot(const UsersData& data);
// Gives the name to the first free slot and makes it the current user;
// answers the slot, or -1 (nothing changed) when the name is empty or no slot
// is free.
int AddUser(UsersData& data, const QString& typed);
// Marks a user in use as removed and makes the default user current; false
// (nothing changed) for the default user or a slot not in use.
bool RemoveUser(UsersData& data, int user);
// What closing the dialog leaves: Accepted, and a removed current user
// replaced by the default one.
void CloseUsers(UsersData& data, bool accepted);

// Applying an accepted result: every removed slot becomes free; answers
// those users, whose events, notes and day colours are then deleted.
std::vector<int> ReleaseRemovedUsers(TUserStatesView states);
