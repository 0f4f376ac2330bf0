// The parameter records of the search, the export and the import: filled by
// their dialogs and handed by value to the reminder's operations.
#pragma once

#include <QString>

#include "store/Vntypes.h"

// The bit of a category in a category mask (Miscellaneous 1 ... Meeting 16);
// 0 for a code outside the known categories, which no mask selects.
constexpr int CategoryBit(int category) {
    return category >= 0 && category < CategoryCount ? 1 << category : 0;
}

constexpr bool CategoryInMask(int category, int mask) {
    return (CategoryBit(category) & mask) != 0;
}

struct TvnFindParams {
    QString EventDesc;
    bool MatchCase = false;  // otherwise both sides are upper-cased first
    bool ParComp = false;    // EventDesc may stand anywhere in the description
    int Categories = AllCategoriesMask;
    bool ToUseDates = false;  // restrict to start dates from BegDate to EndDate
    TDateTime BegDate = 0;
    TDateTime EndDate = 0;
};

struct TvnExportParams {
    TDateTime BegDate = 0;  // whole days; events starting from BegDate 00:00
    TDateTime EndDate = 0;  // up to EndDate 00:00 inclusive
    bool SaveAsTxt = true;  // text report; otherwise an event data file
    int Categories = AllCategoriesMask;
    QString FileName;
    bool Accepted = false;  // the dialog was closed with OK and a path
};

struct TvnImportParams {
    bool DeleteExisting = false;  // delete all of the current user's events first
    QString FileName;
    bool Accepted = false;  // the dialog was closed with OK and a path
};
