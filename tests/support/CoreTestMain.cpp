// Entry of the tests of the Qt-Core-only computation: no QApplication and no
// platform plugin, so these tests prove that the computation needs no screen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "platform/DateFormat.h"
#include "support/TestSupport.h"

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCoreApplication app(argc, argv);
    SetFormatSettings(DottedFormatSettings());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
