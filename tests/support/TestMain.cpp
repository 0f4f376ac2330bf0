// Test entry: a QApplication on the offscreen platform, so widget and painting
// tests need no display, and a known locale for the default format settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

#include "platform/DateFormat.h"
#include "support/TestSupport.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtimeDir = QDir::temp().filePath("vornel-test-runtime").toLocal8Bit();
        QDir().mkpath(QString::fromLocal8Bit(runtimeDir));
        QFile::setPermissions(QString::fromLocal8Bit(runtimeDir), QFileDevice::ReadOwner |
                                                                      QFileDevice::WriteOwner |
                                                                      QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir);
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    SetFormatSettings(DottedFormatSettings());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
