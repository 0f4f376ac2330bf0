// Test entry: a QApplication on the offscreen platform, so widget and painting
// tests need no display, and a known locale for the default format settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "platform/DateFormat.h"
#include "support/TestSupport.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    SetFormatSettings(DottedFormatSettings());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
